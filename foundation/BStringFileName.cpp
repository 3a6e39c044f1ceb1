#include "foundation/BString.h"

namespace Tr {

int BString::hasFileExtension(int& slash, int& dot) const
{
    slash = lastIndexOf('/');
    dot = lastIndexOf('.');
    return dot >= 0 && dot > slash;
}

BString BString::extractFileName() const
{
    return substr(lastIndexOf('/') + 1);
}

BString BString::extractFileDir() const
{
    BString dir(*this);
    if (dir.endsWith('/'))
        dir.setLength(dir.length() - 1);
    int slash = dir.lastIndexOf('/');
    if (slash >= 1)
        return dir.substr(0, slash);
    return slash == 0 ? BString("/") : BString();
}

BString BString::extractFileExtension() const
{
    int slash, dot;
    return hasFileExtension(slash, dot) ? substr(dot) : BString();
}

BString BString::removeFileExtension() const
{
    int slash, dot;
    return hasFileExtension(slash, dot) ? substr(0, dot) : *this;
}

BString BString::extractFileNameWithoutExtension() const
{
    int slash, dot;
    if (hasFileExtension(slash, dot))
        return substr(slash + 1, dot - slash - 1);
    return substr(slash + 1);
}

BString BString::changeFileExt(BString const& newExt) const
{
    int slash, dot;
    return (hasFileExtension(slash, dot) ? substr(0, dot) : *this) + newExt;
}

BString BString::addLastBackSlash() const
{
    return endsWith('/') ? *this : *this + '/';
}

} // namespace Tr
