#pragma once

#include "foundation/BString.h"

#include <map>
#include <set>
#include <vector>

namespace Tr {

// One line of a string list with an optional object pointer, never owned.
struct TStringListElement
{
    BString text;
    void* object = nullptr;
};

// Text lines with optional object pointers, a name=value view of the lines,
// splitting and joining of text, and loading and saving of whole files.
// Truth values and counts are ints; indexes are 0-based.
class TStringList
{
public:
    TStringList();
    explicit TStringList(BString const& text);
    TStringList(TStringList const& other);
    TStringList& operator=(TStringList const& other);
    virtual ~TStringList();

    void Add(BString const& text);
    void Add(TStringList const& other);
    void AddObject(BString const& text, void* object);
    void Assign(TStringList const& other);
    void Clear();
    void SetCapacity(int n);
    int GetCapacity() const;

    int GetCount() const;
    // The line's text and object; the index must lie within 0..GetCount()-1.
    BString const& GetString(int index) const;
    void* GetObject(int index) const;
    // Removes the line at the index; nothing when it is out of range.
    void Delete(int index);

    int IndexOf(BString const& text) const;
    int IndexOfIgnoreCase(BString const& text) const;
    int AddIfNotExists(BString const& text, int ignoreCase);

    // The line's text up to its first "=", trimmed; quotes are not interpreted.
    BString GetKey(int index) const;
    // The value of the last line with this key; empty when there is none.
    BString GetValue(BString const& key) const;
    int KeyExists(BString const& key) const;
    // Replaces the key's first line by key=value appended at the end; the value
    // is quoted and escaped when it would not read back unchanged otherwise.
    void SetValue(BString const& key, BString const& value);
    int DeleteKey(BString const& key);
    // Deletes every line whose key is one of keys, in one pass; the number deleted.
    int DeleteKeys(std::set<BString> const& keys);
    // Rebuilds the name=value view; returns the index of the first line with
    // the key, or -1 (always -1 without a key).
    int ParseValues(BString const* key = nullptr) const;

    void Sort();
    int GetTextLen(int extra) const;
    // Every line followed by the line break, the last one included.
    BString GetText() const;
    void SetText(BString const& text);
    // A negative length reads up to the first zero byte.
    void SetText(char const* bytes, int length);

    int LoadFromFile(BString const& fileName);
    // Replaces the file as a whole; 0 when it cannot be written (the old file stays).
    int SaveToFile(BString const& fileName) const;
    void ParseCommandLine(BString const& commandLine);

private:
    void changed();
    void requireValues() const;
    // The index of the first line from `from` on whose pair has the key, or -1.
    int findKeyLine(BString const& key, int from) const;

    std::vector<TStringListElement> lines;
    // The name=value view, parsed on the first look-up after a change that it
    // cannot follow; appending and deleting a key keep it up to date.
    mutable std::map<BString, BString> values;
    mutable bool valuesValid = false;
    BString lineBreak;
};

} // namespace Tr
