#pragma once

#include "foundation/BString.h"
#include "foundation/TStringList.h"

#include <map>
#include <set>
#include <vector>

namespace Tr {

// An ini file held in memory: each section's raw lines (comments and blank
// lines included) by section name, compared byte by byte. Constructing reads
// nothing and destroying writes nothing. Truth values are ints (1 or 0).
class TIniFile
{
public:
    using SectionMap = std::map<BString, TStringList>;

    explicit TIniFile(BString const& fileName);
    virtual ~TIniFile();

    // Replaces all sections by the file's; a file that cannot be read leaves no
    // sections and gives 0. Never throws.
    int ReadFromFileNoException();
    void ParseStrings(TStringList const& lines);
    // Replaces the file as a whole, creating its folders; 0 when it cannot be
    // written, and the old file then stays as it was.
    int WriteToFile();

    BString ReadString(BString const& section, BString const& key, BString const& defaultValue) const;
    void WriteString(BString const& section, BString const& key, BString const& value);
    int ReadInteger(BString const& section, BString const& key, int defaultValue) const;
    void WriteInteger(BString const& section, BString const& key, int value);
    int ReadBool(BString const& section, BString const& key, int defaultValue) const;
    void WriteBool(BString const& section, BString const& key, int value);
    int ValueExists(BString const& section, BString const& key) const;
    int DeleteKey(BString const& section, BString const& key);
    // Every line of the section whose key is one of keys; the number deleted.
    int DeleteKeys(BString const& section, std::set<BString> const& keys);

    int SectionExists(BString const& section) const;
    int EraseSection(BString const& section);
    // The section's lines, or a shared empty list when it is missing.
    TStringList const& GetSection(BString const& section, int* found = nullptr) const;
    int ReadSectionEntries(BString const& section, TStringList& entries) const;
    int ReadSectionKeys(BString const& section, TStringList& keys) const;
    SectionMap GetSections() const;
    // Appends "[name]" and the lines of every section, leaving out the one named
    // like leaveOut ignoring ASCII case.
    void GetStrings(TStringList& out, BString const& leaveOut = BString()) const;

private:
    BString fileName;
    SectionMap sections;
};

// The text's first 65535 bytes behind their byte length as four upper-case
// hexadecimal digits, so that several strings can share one ini value.
BString EncodeStringForIniFile(BString const& text);
// Decodes one such string at the position into out and returns the bytes
// consumed (4 + length); throws Tr::Exception("illegal ini format") when the
// prefix is missing or not hexadecimal or the text is shorter than it says.
int DecodeStringFromIniFile(BString const& encoded, int position, BString& out);
// The key of a numbered entry: the name followed by the number ("Name0").
BString IniListKey(BString const& name, int number);
// Makes room for a numbered list of count entries, in one pass over the section:
// deletes the key name<n> of each of the names for every n below count, and on
// from count as long as names[0]<n> exists, so that no entry of a longer list stays.
void DeleteIniList(TIniFile& ini, BString const& section, std::vector<BString> const& names, int count);

} // namespace Tr
