#include "strings/strings.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace vorlanex {

const Definition* Definitions::find(std::string_view name) const {
    if (name.size() > longest_name_) return nullptr;
    if (!name.empty() && !first_characters_[static_cast<unsigned char>(name[0])]) return nullptr;
    const auto it = by_name_.find(name);
    return it == by_name_.end() ? nullptr : &it->second;
}

bool Definitions::add(std::string_view name, std::string_view text) {
    const bool added =
        by_name_.try_emplace(std::string(name), Definition{std::string(name), std::string(text)})
            .second;
    if (added && !name.empty()) first_characters_.set(static_cast<unsigned char>(name[0]));
    if (added) longest_name_ = std::max(longest_name_, name.size());
    return added;
}

bool StringList_has_definition(const Definitions& table, std::string_view name) {
    return table.find(name) != nullptr;
}

bool StringList_add_definition(Definitions& table, std::string_view name, std::string_view text) {
    return table.add(name, text);
}

std::string self_reference(std::string_view name) {
    return word_error(name, "symbol refers to itself");
}

namespace {

std::string too_large(std::string_view name) {
    return word_error(name, format("symbol expands beyond %zu words", kMaxStatementWords));
}

// The tokens strtok_r would cut from the text, as views into it: runs of
// delimiters separate, and leading and trailing ones give no empty token.
std::vector<std::string_view> tokenize(std::string_view text, std::string_view delimiters) {
    const auto is_delimiter = [delimiters](char c) {
        return delimiters.find(c) != std::string_view::npos;
    };
    std::vector<std::string_view> tokens;
    tokens.reserve(8);
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && is_delimiter(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !is_delimiter(text[pos])) ++pos;
        if (pos > start) tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

// Depth-first substitution without recursion, so that a long chain of
// definitions cannot exhaust the stack: each frame is the token sequence of
// one definition being expanded.
class Expander {
  public:
    Expander(StringList& list, const Definitions& definitions, Messages& messages,
             std::string_view delimiters)
        : list_(list), definitions_(definitions), messages_(messages), delimiters_(delimiters) {}

    bool run(std::string_view text) {
        frames_.push_back(Frame{nullptr, tokenize(text, delimiters_), 0});
        while (!frames_.empty()) {
            Frame& top = frames_.back();
            if (top.next == top.tokens.size()) {
                if (top.definition != nullptr) active_.erase(top.definition->name);
                frames_.pop_back();
                continue;
            }
            if (!append(top.tokens[top.next++])) return false;
        }
        return true;
    }

  private:
    struct Frame {
        const Definition* definition;          // none for the statement itself
        std::vector<std::string_view> tokens;  // into the statement or a definition's text
        std::size_t next;
    };

    bool append(std::string_view token) {
        const Definition* definition = definitions_.find(token);
        if (definition == nullptr) {
            if (list_.items.size() >= kMaxStatementWords) return fail_too_large();
            list_.items.emplace_back(token);
            return true;
        }
        if (active_.contains(definition->name)) return messages_.fail(self_reference(definition->name));
        if (++substitutions_ > kMaxSubstitutions) return fail_too_large();
        if (frames_.size() == 1) outermost_ = definition;
        active_.insert(definition->name);
        frames_.push_back(Frame{definition, tokenize(definition->text, delimiters_), 0});
        return true;
    }

    bool fail_too_large() {
        // Name the symbol the user wrote in the statement.
        return messages_.fail(
            too_large(outermost_ != nullptr ? std::string_view(outermost_->name) : ""));
    }

    StringList& list_;
    const Definitions& definitions_;
    Messages& messages_;
    std::string_view delimiters_;
    std::vector<Frame> frames_;
    std::unordered_set<std::string_view> active_;
    std::size_t substitutions_ = 0;
    const Definition* outermost_ = nullptr;
};

}  // namespace

bool StringList_append_tokenized(StringList& list, std::string_view text,
                                 const Definitions& definitions, Messages& messages,
                                 std::string_view delimiters) {
    return Expander(list, definitions, messages, delimiters).run(text);
}

std::optional<std::string_view> StringList_get(const StringList& list, int index) {
    if (index < 0 || index >= list.num_items()) return std::nullopt;
    return list.items[static_cast<std::size_t>(index)];
}

}  // namespace vorlanex
