#include "strings/strings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

namespace vorlanex {

const Definition* Definitions::find(std::string_view name) const {
    const auto it = by_name_.find(name);
    return it == by_name_.end() ? nullptr : &it->second;
}

bool Definitions::add(std::string_view name, std::string_view text) {
    return by_name_.try_emplace(std::string(name), Definition{std::string(name), std::string(text)})
        .second;
}

const Definition* StringList_get_definition(const Definitions& table, std::string_view name) {
    return table.find(name);
}

bool StringList_has_definition(const Definitions& table, std::string_view name) {
    return table.find(name) != nullptr;
}

bool StringList_add_definition(Definitions& table, std::string_view name, std::string_view text) {
    return table.add(name, text);
}

void report_self_reference(std::string_view name) {
    std::fprintf(stderr, "error: '%.*s': symbol refers to itself\n", static_cast<int>(name.size()),
                 name.data());
}

namespace {

void report_too_large(std::string_view name) {
    std::fprintf(stderr, "error: '%.*s': symbol expands beyond %zu words\n",
                 static_cast<int>(name.size()), name.data(), kMaxStatementWords);
}

std::vector<std::string> tokenize(std::string_view text, std::string_view delimiters) {
    std::string work(text);
    const std::string delims(delimiters);
    std::vector<std::string> tokens;
    char* resume = nullptr;
    for (char* token = strtok_r(work.data(), delims.c_str(), &resume); token != nullptr;
         token = strtok_r(nullptr, delims.c_str(), &resume)) {
        tokens.emplace_back(token);
    }
    return tokens;
}

// Depth-first substitution without recursion, so that a long chain of
// definitions cannot exhaust the stack: each frame is the token sequence of
// one definition being expanded.
class Expander {
  public:
    Expander(StringList& list, const Definitions& definitions, std::string_view delimiters,
             bool quiet)
        : list_(list), definitions_(definitions), delimiters_(delimiters), quiet_(quiet) {}

    bool run(std::string_view text) {
        frames_.push_back(Frame{nullptr, tokenize(text, delimiters_), 0});
        while (!frames_.empty()) {
            Frame& top = frames_.back();
            if (top.next == top.tokens.size()) {
                if (top.definition != nullptr) active_.erase(top.definition->name);
                frames_.pop_back();
                continue;
            }
            std::string token = std::move(top.tokens[top.next++]);
            if (!append(std::move(token))) return false;
        }
        return true;
    }

  private:
    struct Frame {
        const Definition* definition;  // none for the statement itself
        std::vector<std::string> tokens;
        std::size_t next;
    };

    bool append(std::string token) {
        const Definition* definition = definitions_.find(token);
        if (definition == nullptr) {
            if (list_.items.size() >= kMaxStatementWords) return fail_too_large();
            list_.items.push_back(std::move(token));
            return true;
        }
        if (active_.contains(definition->name)) {
            if (!quiet_) report_self_reference(definition->name);
            return false;
        }
        if (++substitutions_ > kMaxSubstitutions) return fail_too_large();
        if (frames_.size() == 1) outermost_ = definition;
        active_.insert(definition->name);
        frames_.push_back(Frame{definition, tokenize(definition->text, delimiters_), 0});
        return true;
    }

    bool fail_too_large() {
        // Name the symbol the user wrote in the statement.
        if (!quiet_) report_too_large(outermost_ != nullptr ? std::string_view(outermost_->name) : "");
        return false;
    }

    StringList& list_;
    const Definitions& definitions_;
    std::string_view delimiters_;
    bool quiet_;
    std::vector<Frame> frames_;
    std::unordered_set<std::string_view> active_;
    std::size_t substitutions_ = 0;
    const Definition* outermost_ = nullptr;
};

}  // namespace

bool StringList_append_tokenized(StringList& list, std::string_view text,
                                 const Definitions& definitions, std::string_view delimiters,
                                 bool quiet) {
    return Expander(list, definitions, delimiters, quiet).run(text);
}

std::optional<std::string_view> StringList_get(const StringList& list, int index) {
    if (index < 0 || index >= list.num_items()) return std::nullopt;
    return list.items[static_cast<std::size_t>(index)];
}

}  // namespace vorlanex
