// Token lists cut from one statement, and the table of symbol definitions.
//
// A statement is split at blanks and tabs. Every token that is exactly the name
// of a definition is replaced, in place, by the tokens of that definition's
// text, which are substituted in turn; so a symbol may stand for one word,
// several words or none. Substitution ends: a symbol that leads back to itself,
// or an expansion that grows past the bound below, fails the statement with one
// "error: " line that names the symbol.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "strings/messages.h"

namespace vorlanex {

/// The delimiter set of the language: blank and tab.
inline constexpr std::string_view ws = " \t";

/// Most words one statement may expand to; one more fails the statement.
inline constexpr std::size_t kMaxStatementWords = 65536;
/// Most symbol substitutions one statement may make, so that symbols that
/// expand to nothing cannot make the work grow without bound either.
inline constexpr std::size_t kMaxSubstitutions = 4 * kMaxStatementWords;

struct Definition {
    std::string name;
    std::string text;  ///< stored as written; split anew at every use
};

/// The table of definitions. Names are unique and case-sensitive; entries are
/// never removed. Lookups are hashed, since every token of every statement is
/// looked up.
class Definitions {
  public:
    const Definition* find(std::string_view name) const;
    /// False, with the table unchanged, when the name is already defined.
    bool add(std::string_view name, std::string_view text);
    std::size_t size() const { return by_name_.size(); }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, Definition, Hash, std::equal_to<>> by_name_;
    // Every token of every statement is looked up; most cannot be a name at
    // all, which their first character and their length tell without hashing.
    std::bitset<256> first_characters_;
    std::size_t longest_name_ = 0;
};

bool StringList_has_definition(const Definitions& table, std::string_view name);
/// False, with the first definition left in force, when the name exists.
bool StringList_add_definition(Definitions& table, std::string_view name, std::string_view text);

/// The one message for a symbol that leads back to itself.
std::string self_reference(std::string_view name);

struct StringList {
    std::vector<std::string> items;
    int num_items() const { return static_cast<int>(items.size()); }
};

/// Appends every token of `text` with definitions substituted. False after an
/// "error: " message when a symbol refers to itself or the expansion passes
/// the bounds above; the list then holds what was appended.
bool StringList_append_tokenized(StringList& list, std::string_view text,
                                 const Definitions& definitions, Messages& messages,
                                 std::string_view delimiters = ws);

/// The item at `index`, or none when the index is negative or past the end.
std::optional<std::string_view> StringList_get(const StringList& list, int index);

}  // namespace vorlanex
