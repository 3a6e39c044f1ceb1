#include "foundation/TStringList.h"

#include "foundation/AtomicFile.h"
#include "foundation/FileUtils.h"
#include "foundation/NameValueSyntax.h"

#include <algorithm>
#include <string>

namespace Tr {

namespace {

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool isSeparator(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// Reads lines as name=value pairs, reusing its buffers from line to line.
struct PairReader
{
    std::string name;
    std::string value;

    bool read(BString const& line) { return ParseNameValueLine(line.c_str(), name, value); }
};

} // namespace

TStringList::TStringList()
    : lineBreak("\n")
{
}

TStringList::TStringList(BString const& text)
    : lineBreak("\n")
{
    SetText(text);
}

TStringList::TStringList(TStringList const& other)
    : lineBreak("\n")
{
    Assign(other);
}

TStringList& TStringList::operator=(TStringList const& other)
{
    Assign(other);
    return *this;
}

TStringList::~TStringList() = default;

void TStringList::changed()
{
    values.clear();
    valuesValid = false;
}

void TStringList::Add(BString const& text)
{
    AddObject(text, nullptr);
}

void TStringList::Add(TStringList const& other)
{
    SetCapacity(GetCount() + other.GetCount());
    // Copied first, so that adding a list to itself adds each line once.
    std::vector<TStringListElement> added(other.lines);
    lines.insert(lines.end(), added.begin(), added.end());
    changed();
}

// A line added at the end can only add its own pair to the name=value view, so
// a view in use is kept up to date rather than parsed again.
void TStringList::AddObject(BString const& text, void* object)
{
    lines.push_back(TStringListElement{text, object});
    PairReader pair;
    if (valuesValid && pair.read(text))
        values[BString(pair.name.c_str())] = BString(pair.value.c_str());
}

void TStringList::Assign(TStringList const& other)
{
    if (&other == this)
        return;
    Clear();
    Add(other);
}

void TStringList::Clear()
{
    lines.clear();
    changed();
}

void TStringList::SetCapacity(int n)
{
    if (n > GetCount())
        lines.reserve(static_cast<std::size_t>(n));
}

int TStringList::GetCapacity() const
{
    return static_cast<int>(lines.capacity());
}

int TStringList::GetCount() const
{
    return static_cast<int>(lines.size());
}

BString const& TStringList::GetString(int index) const
{
    return lines[static_cast<std::size_t>(index)].text;
}

void* TStringList::GetObject(int index) const
{
    return lines[static_cast<std::size_t>(index)].object;
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    lines.erase(lines.begin() + index);
    changed();
}

int TStringList::IndexOf(BString const& text) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetString(i) == text)
            return i;
    return -1;
}

int TStringList::IndexOfIgnoreCase(BString const& text) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetString(i).equalsIgnoreCase(text))
            return i;
    return -1;
}

int TStringList::AddIfNotExists(BString const& text, int ignoreCase)
{
    int found = ignoreCase ? IndexOfIgnoreCase(text) : IndexOf(text);
    if (found >= 0)
        return 0;
    Add(text);
    return 1;
}

BString TStringList::GetKey(int index) const
{
    BString const& line = GetString(index);
    int equals = line.indexOf('=');
    return (equals < 0 ? line : line.substr(0, equals)).trim();
}

void TStringList::requireValues() const
{
    if (!valuesValid)
        ParseValues();
}

BString TStringList::GetValue(BString const& key) const
{
    requireValues();
    auto found = values.find(key);
    return found == values.end() ? BString() : found->second;
}

int TStringList::KeyExists(BString const& key) const
{
    requireValues();
    return values.count(key) != 0;
}

void TStringList::SetValue(BString const& key, BString const& value)
{
    DeleteKey(key);
    Add(key + "=" + QuoteIniValue(value));
}

// The view tells whether the key exists at all, so only a key that does costs a
// pass over the lines; the view stays up to date.
int TStringList::DeleteKey(BString const& key)
{
    requireValues();
    if (values.count(key) == 0)
        return 0;
    int index = findKeyLine(key, 0);
    lines.erase(lines.begin() + index);
    // The key keeps the value of its last line unless the line deleted was its only one.
    if (findKeyLine(key, index) < 0)
        values.erase(key);
    return 1;
}

int TStringList::DeleteKeys(std::set<BString> const& keys)
{
    PairReader pair;
    auto kept = std::remove_if(lines.begin(), lines.end(), [&](TStringListElement const& line) {
        return pair.read(line.text) && keys.count(BString(pair.name.c_str())) != 0;
    });
    int deleted = static_cast<int>(lines.end() - kept);
    lines.erase(kept, lines.end());
    if (deleted)
        changed();
    return deleted;
}

int TStringList::findKeyLine(BString const& key, int from) const
{
    PairReader pair;
    for (int i = from; i < GetCount(); ++i)
        if (pair.read(GetString(i)) && key == pair.name.c_str())
            return i;
    return -1;
}

int TStringList::ParseValues(BString const* key) const
{
    values.clear();
    int firstIndex = -1;
    PairReader pair;
    for (int i = 0; i < GetCount(); ++i) {
        if (!pair.read(GetString(i)))
            continue;
        BString parsedKey(pair.name.c_str());
        values[parsedKey] = BString(pair.value.c_str());
        if (key != nullptr && firstIndex < 0 && parsedKey == *key)
            firstIndex = i;
    }
    valuesValid = true;
    return firstIndex;
}

void TStringList::Sort()
{
    std::sort(lines.begin(), lines.end(),
              [](TStringListElement const& a, TStringListElement const& b) { return a.text < b.text; });
    changed();
}

int TStringList::GetTextLen(int extra) const
{
    int total = 0;
    for (TStringListElement const& line : lines)
        total += line.text.length() + extra;
    return total;
}

BString TStringList::GetText() const
{
    std::string text;
    text.reserve(static_cast<std::size_t>(GetTextLen(lineBreak.length())));
    for (TStringListElement const& line : lines) {
        text += line.text.c_str();
        text += lineBreak.c_str();
    }
    return BString(text.c_str());
}

void TStringList::SetText(BString const& text)
{
    SetText(text.c_str(), text.length());
}

void TStringList::SetText(char const* bytes, int length)
{
    Clear();
    if (bytes == nullptr)
        return;
    int start = 0;
    int i = 0;
    for (; (length < 0 || i < length) && bytes[i] != 0; ++i) {
        if (!isLineBreak(bytes[i]))
            continue;
        Add(BString(bytes + start, i - start));
        if (bytes[i] == '\r' && (length < 0 || i + 1 < length) && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (i > start)
        Add(BString(bytes + start, i - start));
}

int TStringList::LoadFromFile(BString const& fileName)
{
    int size = 0;
    void* buffer = getMemoryMappedFile(fileName, size);
    if (buffer == nullptr)
        return 0;
    SetText(static_cast<char const*>(buffer), size);
    freeMemoryMappedFile(buffer);
    return 1;
}

int TStringList::SaveToFile(BString const& fileName) const
{
    BString text = GetText();
    return writeFileAtomically(fileName, text.c_str(), static_cast<std::size_t>(text.length()));
}

void TStringList::ParseCommandLine(BString const& commandLine)
{
    Clear();
    SetCapacity(20);
    std::string argument;
    bool quoted = false;
    for (char const* p = commandLine.c_str();; ++p) {
        bool ends = *p == 0 || (!quoted && isSeparator(*p));
        if (ends && !argument.empty()) {
            Add(BString(argument.c_str()));
            argument.clear();
        }
        if (*p == 0)
            break;
        if (*p == '"')
            quoted = !quoted;
        else if (!ends)
            argument += *p;
    }
}

} // namespace Tr
