#include "app/IniPath.h"

#include "app/JuceUtils.h"
#include "foundation/FileUtils.h"
#include "foundation/Folders.h"
#include "foundation/gui/JuceString.h"

Tr::BString perUserIniFilePath()
{
    Tr::BString besideBundle = Tr::StringFrom(JuceUtils::getBundleFile().getFullPathName()).changeFileExt(".kset");
    if (Tr::FileExists(besideBundle))
        return besideBundle;
    return Tr::getPexaSettingsBaseDir() + "/" + besideBundle.extractFileName();
}
