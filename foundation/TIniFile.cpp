#include "foundation/TIniFile.h"

#include "foundation/AtomicFile.h"
#include "foundation/Exception.h"
#include "foundation/FileUtils.h"

#include <string>

namespace Tr {

namespace {

const int maxEncodedLength = 65535;

bool isHeader(BString const& line)
{
    int length = line.length();
    return length >= 4 && line[0] == '[' && line[length - 1] == ']';
}

void appendSection(std::string& text, BString const& name, TStringList const& lines)
{
    text += '[';
    text += name.c_str();
    text += "]\n";
    for (int i = 0; i < lines.GetCount(); ++i) {
        if (lines.GetString(i).isEmpty())
            continue;
        text += lines.GetString(i).c_str();
        text += '\n';
    }
    text += '\n';
}

[[noreturn]] void throwIllegalFormat()
{
    throw Exception("illegal ini format");
}

} // namespace

TIniFile::TIniFile(BString const& fileName)
    : fileName(fileName)
{
}

TIniFile::~TIniFile() = default;

int TIniFile::ReadFromFileNoException()
{
    TStringList lines;
    if (!lines.LoadFromFile(fileName)) {
        sections.clear();
        return 0;
    }
    ParseStrings(lines);
    return 1;
}

void TIniFile::ParseStrings(TStringList const& lines)
{
    sections.clear();
    BString current;
    for (int i = 0; i < lines.GetCount(); ++i) {
        BString const& line = lines.GetString(i);
        if (isHeader(line))
            current = line.substr(1, line.length() - 2);
        else if (current.isNotEmpty())
            sections[current].Add(line);
    }
}

int TIniFile::WriteToFile()
{
    ForceDirectories(fileName.extractFileDir());
    std::string text;
    for (auto const& section : sections)
        appendSection(text, section.first, section.second);
    return writeFileAtomically(fileName, text.data(), text.size());
}

BString TIniFile::ReadString(BString const& section, BString const& key, BString const& defaultValue) const
{
    auto found = sections.find(section);
    if (found == sections.end() || !found->second.KeyExists(key))
        return defaultValue;
    return found->second.GetValue(key);
}

void TIniFile::WriteString(BString const& section, BString const& key, BString const& value)
{
    sections[section].SetValue(key, value);
}

int TIniFile::ReadInteger(BString const& section, BString const& key, int defaultValue) const
{
    return ReadString(section, key, BString()).parseIntDef(defaultValue);
}

void TIniFile::WriteInteger(BString const& section, BString const& key, int value)
{
    WriteString(section, key, BString::fromInt(value));
}

int TIniFile::ReadBool(BString const& section, BString const& key, int defaultValue) const
{
    BString value = ReadString(section, key, BString());
    if (value.isEmpty())
        return defaultValue;
    return BString("1TtYy").contains(value[0]);
}

void TIniFile::WriteBool(BString const& section, BString const& key, int value)
{
    WriteString(section, key, BString(value ? "1" : "0"));
}

int TIniFile::ValueExists(BString const& section, BString const& key) const
{
    auto found = sections.find(section);
    return found != sections.end() && found->second.KeyExists(key);
}

int TIniFile::DeleteKey(BString const& section, BString const& key)
{
    auto found = sections.find(section);
    return found != sections.end() && found->second.DeleteKey(key);
}

int TIniFile::DeleteKeys(BString const& section, std::set<BString> const& keys)
{
    auto found = sections.find(section);
    return found != sections.end() ? found->second.DeleteKeys(keys) : 0;
}

int TIniFile::SectionExists(BString const& section) const
{
    return sections.count(section) != 0;
}

int TIniFile::EraseSection(BString const& section)
{
    return sections.erase(section) != 0;
}

TStringList const& TIniFile::GetSection(BString const& section, int* found) const
{
    static const TStringList noLines;
    auto entry = sections.find(section);
    if (found != nullptr)
        *found = entry != sections.end();
    return entry == sections.end() ? noLines : entry->second;
}

int TIniFile::ReadSectionEntries(BString const& section, TStringList& entries) const
{
    int found = 0;
    entries = GetSection(section, &found);
    return found;
}

int TIniFile::ReadSectionKeys(BString const& section, TStringList& keys) const
{
    int found = 0;
    TStringList const& entries = GetSection(section, &found);
    keys.Clear();
    keys.SetCapacity(entries.GetCount());
    for (int i = 0; i < entries.GetCount(); ++i)
        keys.Add(entries.GetKey(i));
    return found;
}

TIniFile::SectionMap TIniFile::GetSections() const
{
    return sections;
}

void TIniFile::GetStrings(TStringList& out, BString const& leaveOut) const
{
    int needed = 1;
    for (auto const& section : sections)
        needed += section.second.GetCount() + 2;
    out.SetCapacity(out.GetCount() + needed);
    for (auto const& section : sections) {
        if (leaveOut.isNotEmpty() && section.first.equalsIgnoreCase(leaveOut))
            continue;
        out.Add("[" + section.first + "]");
        out.Add(section.second);
    }
}

BString IniListKey(BString const& name, int number)
{
    return name + BString::fromInt(number);
}

void DeleteIniList(TIniFile& ini, BString const& section, std::vector<BString> const& names, int count)
{
    std::set<BString> keys;
    for (int n = 0; n < count || ini.ValueExists(section, IniListKey(names.front(), n)); ++n)
        for (BString const& name : names)
            keys.insert(IniListKey(name, n));
    ini.DeleteKeys(section, keys);
}

BString EncodeStringForIniFile(BString const& text)
{
    int length = text.length() < maxEncodedLength ? text.length() : maxEncodedLength;
    return BString::toHex(static_cast<unsigned int>(length), 4) + text.substr(0, length);
}

int DecodeStringFromIniFile(BString const& encoded, int position, BString& out)
{
    int available = encoded.length() - position;
    if (position < 0 || available < 4)
        throwIllegalFormat();
    for (int i = 0; i < 4; ++i)
        if (!BString::isHexNumberChar(encoded[position + i]))
            throwIllegalFormat();
    unsigned int length = 0;
    if (!encoded.parseHex(length, position, 4) || static_cast<unsigned int>(available - 4) < length)
        throwIllegalFormat();
    out = encoded.substr(position + 4, static_cast<int>(length));
    return 4 + static_cast<int>(length);
}

} // namespace Tr
