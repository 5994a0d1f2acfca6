#include "proxy/script_names.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace proxy {
namespace {

using Kind = ScriptToken::Kind;

bool Is(const ScriptToken* token, Kind kind, std::string_view text) {
    return token != nullptr && token->kind == kind && token->text == text;
}

bool IsPunctuator(const ScriptToken* token, std::string_view text) {
    return Is(token, Kind::kPunctuator, text);
}

bool IsWord(const ScriptToken* token, std::string_view text) {
    return Is(token, Kind::kName, text);
}

// Names the code may use that are not plain names ("\\u" escapes, characters past ASCII).
bool IsPlainName(const std::string& name) {
    for (const char c : name) {
        if (c == '\\' || static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// A name a declaration may bind and this code may rename.
bool IsDeclarable(const ScriptToken* token) {
    return token != nullptr && token->kind == Kind::kName && IsPlainName(token->text) &&
           !IsReservedWord(token->text) && token->text != "arguments" && token->text != "eval";
}

// The name handed out at index, shortest first: "a" to "$", then two characters and so on. No
// name starts with "s", so none makes a new "%s".
std::string ShortName(size_t index) {
    static const char kFirst[] = "abcdefghijklmnopqrtuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_$";
    static const char kNext[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_$0123456789";
    const size_t first = sizeof kFirst - 1;
    const size_t next = sizeof kNext - 1;
    size_t length = 1;
    for (size_t count = first; index >= count; count *= next) {
        index -= count;
        ++length;
    }
    std::string name(length, ' ');
    for (size_t i = length - 1; i > 0; --i) {
        name[i] = kNext[index % next];
        index /= next;
    }
    name[0] = kFirst[index];
    return name;
}

class Renamer {
  public:
    explicit Renamer(std::vector<ScriptToken>& tokens) : tokens_(tokens) {}

    bool Run() {
        scopes_.push_back(Scope{-1, true, {}});
        open_.push_back(Open{'\0'});
        for (size_t i = 0; i < tokens_.size() && !failed_; ++i) i = Read(i);
        if (failed_ || open_.size() != 1) return false;
        if (!Resolve()) return false;
        ChooseNames();
        for (const Use& use : uses_) tokens_[use.token].text = bindings_[use.binding].newName;
        return true;
    }

  private:
    struct Scope {
        int parent;
        bool isFunction;  // false: the block of a catch clause
        std::map<std::string, int> bindings;
    };
    struct Binding {
        int scope;
        std::string name;
        std::string newName;
        int uses = 0;
    };
    struct Use {
        size_t token;
        int scope;         // where the name is looked up
        int declared;      // the binding it declares, or -1 for a plain use
        int binding = -1;  // what it resolves to; -1: a name the code does not declare
    };
    struct Open {
        char bracket;
        bool object = false;  // a "{" of an object literal
        int pendingTernaries = 0;
        int closesScope = -1;  // the scope that ends with it
    };
    struct VarStatement {
        size_t depth;  // open_.size() of its declarators
        bool inForHead;
        bool expectName = true;
        bool afterName = false;
    };

    const ScriptToken* At(size_t i) const { return i < tokens_.size() ? &tokens_[i] : nullptr; }
    const ScriptToken* Before(size_t i) const { return i > 0 ? &tokens_[i - 1] : nullptr; }

    // Reads the token at i (and those after it that it takes); returns the last index taken.
    size_t Read(size_t i) {
        const ScriptToken& token = tokens_[i];
        if (ReadForVarStatement(i) || failed_) return i;
        switch (token.kind) {
            case Kind::kLiteral:
                if (token.text[0] == '`') failed_ = true;
                return i;
            case Kind::kNumber:
                return i;
            case Kind::kPunctuator:
                ReadPunctuator(i);
                return i;
            case Kind::kName:
                return ReadName(i);
        }
        return i;
    }

    void ReadPunctuator(size_t i) {
        const char c = tokens_[i].text[0];
        const ScriptToken* next = At(i + 1);
        const bool joined = next != nullptr && !next->blankBefore && !next->lineBefore;
        if ((c == '=' && joined && IsPunctuator(next, ">")) ||
            (c == '.' && joined && IsPunctuator(next, ".")) ||
            (c == '?' && joined && (IsPunctuator(next, ".") || IsPunctuator(next, "?")))) {
            failed_ = true;
        } else if (c == '(' || c == '[') {
            open_.push_back(Open{c});
        } else if (c == '{') {
            Open brace{c};
            brace.closesScope = pendingScope_;
            brace.object = pendingScope_ < 0 && OpensObject(i);
            pendingScope_ = -1;
            open_.push_back(brace);
        } else if (c == ')' || c == ']' || c == '}') {
            Close(c);
        } else if (c == '?') {
            ++open_.back().pendingTernaries;
        } else if (c == ':') {
            lastColonEndsTernary_ = open_.back().pendingTernaries > 0;
            if (lastColonEndsTernary_) --open_.back().pendingTernaries;
        }
    }

    void Close(char c) {
        const char opener = c == ')' ? '(' : c == ']' ? '[' : '{';
        if (open_.back().bracket != opener) {
            failed_ = true;
            return;
        }
        if (open_.back().closesScope >= 0) scope_ = scopes_[open_.back().closesScope].parent;
        open_.pop_back();
        while (!vars_.empty() && vars_.back().depth > open_.size()) vars_.pop_back();
    }

    // Whether the "{" at i opens an object literal rather than a block.
    bool OpensObject(size_t i) const {
        const ScriptToken* before = Before(i);
        if (before == nullptr || tokens_[i].lineBefore) return false;
        if (before->kind == Kind::kPunctuator) {
            const char c = before->text[0];
            if (c == ')' || c == ';' || c == '{' || c == '}') return false;
            if (c == ':') return lastColonEndsTernary_ || InObject();
            return true;
        }
        if (before->kind == Kind::kName) {
            return IsWord(before, "return") || IsWord(before, "typeof") || IsWord(before, "in") ||
                   IsWord(before, "case") || IsWord(before, "void") || IsWord(before, "throw") ||
                   IsWord(before, "instanceof") || IsWord(before, "delete");
        }
        return false;
    }

    bool InObject() const { return open_.back().object; }

    size_t ReadName(size_t i) {
        const ScriptToken& token = tokens_[i];
        const ScriptToken* before = Before(i);
        const ScriptToken* next = At(i + 1);
        if (IsPunctuator(before, ".")) return i;
        if (!IsPlainName(token.text)) {
            failed_ = true;
            return i;
        }
        if (InObject() && (IsPunctuator(before, "{") || IsPunctuator(before, ","))) {
            // A key; any other member form (shorthand, method, accessor) is not followed.
            if (!IsPunctuator(next, ":")) failed_ = true;
            return i;
        }
        const std::string& word = token.text;
        if (word == "function") return ReadFunction(i);
        if (word == "catch") return ReadCatch(i);
        if (word == "var") {
            vars_.push_back(VarStatement{
                open_.size(), IsPunctuator(before, "(") && IsWord(Before(i - 1), "for")});
            return i;
        }
        if (word == "with" || word == "eval" || word == "let" || word == "const" ||
            word == "class" || word == "async" || word == "await" || word == "yield" ||
            word == "import" || word == "export") {
            failed_ = true;
            return i;
        }
        if ((word == "break" || word == "continue") && next != nullptr &&
            next->kind == Kind::kName && !next->lineBefore) {
            failed_ = true;
            return i;
        }
        if (IsReservedWord(word)) return i;
        if (IsPunctuator(next, ":") && StartsStatement(i) && open_.back().pendingTernaries == 0) {
            failed_ = true;  // a label
            return i;
        }
        uses_.push_back(Use{i, scope_, -1});
        return i;
    }

    bool StartsStatement(size_t i) const {
        const ScriptToken* before = Before(i);
        if (before == nullptr || tokens_[i].lineBefore) return true;
        if (before->kind == Kind::kPunctuator)
            return std::string_view(";{}):").find(before->text[0]) != std::string_view::npos;
        return IsWord(before, "else") || IsWord(before, "do");
    }

    // Follows the declarators of the innermost var statement and declares the names they bind.
    // Returns true when it took the token as such a name.
    bool ReadForVarStatement(size_t i) {
        if (vars_.empty() || vars_.back().depth != open_.size()) return false;
        VarStatement& statement = vars_.back();
        const ScriptToken& token = tokens_[i];
        const ScriptToken* before = Before(i);
        if (token.lineBefore && !IsPunctuator(before, ",") && !IsPunctuator(before, "=") &&
            !IsWord(before, "var")) {
            failed_ = true;  // the statement may end there or go on
            return false;
        }
        if (statement.expectName) {
            if (!IsDeclarable(&token)) {
                failed_ = true;
                return false;
            }
            Declare(i, FunctionScopeOf(scope_), scope_);
            statement.expectName = false;
            statement.afterName = true;
            return true;
        }
        const bool afterName = statement.afterName;
        statement.afterName = false;
        if (IsPunctuator(&token, ",")) {
            statement.expectName = true;
        } else if (IsPunctuator(&token, ";") || (statement.inForHead && IsWord(&token, "in"))) {
            vars_.pop_back();
        } else if (afterName && !IsPunctuator(&token, "=") && !IsPunctuator(&token, ")") &&
                   !IsPunctuator(&token, "}")) {
            failed_ = true;
        }
        return false;
    }

    // "function", its name when it has one, and its parameters up to ")"; its body follows.
    size_t ReadFunction(size_t i) {
        size_t at = i + 1;
        const ScriptToken* name = At(at);
        if (name != nullptr && name->kind == Kind::kName) {
            if (!DeclaresFunction(i) || !IsDeclarable(name)) {
                failed_ = true;
                return i;
            }
            Declare(at, scope_, scope_);
            ++at;
        }
        if (!IsPunctuator(At(at), "(")) {
            failed_ = true;
            return i;
        }
        const int scope = AddScope(true);
        for (++at; !IsPunctuator(At(at), ")"); ++at) {
            if (!IsDeclarable(At(at))) {
                failed_ = true;
                return i;
            }
            Declare(at, scope, scope);
            ++at;
            if (IsPunctuator(At(at), ")")) break;
            if (!IsPunctuator(At(at), ",")) {
                failed_ = true;
                return i;
            }
        }
        return EnterBody(at, scope) ? at : i;
    }

    // A function with a name that is not part of an expression: it stands where a statement
    // starts, directly in a function body or at the outermost level.
    bool DeclaresFunction(size_t i) const {
        const ScriptToken* before = Before(i);
        const bool atStatement = before == nullptr || IsPunctuator(before, ";") ||
                                 IsPunctuator(before, "{") || IsPunctuator(before, "}");
        if (!atStatement) return false;
        if (open_.size() == 1) return scope_ == 0;
        return open_.back().closesScope == scope_ && scopes_[scope_].isFunction;
    }

    // "catch", "(", its parameter and ")"; its block follows.
    size_t ReadCatch(size_t i) {
        if (IsPunctuator(At(i + 1), "{")) return i;
        if (!IsPunctuator(At(i + 1), "(") || !IsDeclarable(At(i + 2)) ||
            !IsPunctuator(At(i + 3), ")")) {
            failed_ = true;
            return i;
        }
        const int scope = AddScope(false);
        Declare(i + 2, scope, scope);
        return EnterBody(i + 3, scope) ? i + 3 : i;
    }

    // The "{" after the ")" at close opens the body of scope.
    bool EnterBody(size_t close, int scope) {
        if (!IsPunctuator(At(close + 1), "{")) {
            failed_ = true;
            return false;
        }
        pendingScope_ = scope;
        scope_ = scope;
        return true;
    }

    int AddScope(bool isFunction) {
        scopes_.push_back(Scope{scope_, isFunction, {}});
        return static_cast<int>(scopes_.size()) - 1;
    }

    // The outermost level's names, and those of its catch clauses (old Internet Explorer puts
    // a catch parameter in the enclosing function's scope, here the page's), stay.
    bool Renames(int scope) const { return FunctionScopeOf(scope) != 0; }

    int FunctionScopeOf(int scope) const {
        while (!scopes_[scope].isFunction) scope = scopes_[scope].parent;
        return scope;
    }

    // Declares the name at token in scope; from lookup, where the declaration stands, the name
    // must find that binding.
    void Declare(size_t token, int scope, int lookup) {
        const std::string& name = tokens_[token].text;
        auto found = scopes_[scope].bindings.find(name);
        int binding;
        if (found == scopes_[scope].bindings.end()) {
            binding = static_cast<int>(bindings_.size());
            bindings_.push_back(Binding{scope, name, Renames(scope) ? std::string() : name});
            scopes_[scope].bindings.emplace(name, binding);
        } else {
            binding = found->second;
        }
        uses_.push_back(Use{token, lookup, binding});
    }

    // Finds what each use names; notes, for every scope between a use and its binding, the
    // names it may not hand out.
    bool Resolve() {
        usedThrough_.assign(scopes_.size(), {});
        undeclared_.assign(scopes_.size(), {});
        for (Use& use : uses_) {
            const std::string& name = tokens_[use.token].text;
            int scope = use.scope;
            while (scope >= 0 && scopes_[scope].bindings.count(name) == 0) {
                scope = scopes_[scope].parent;
            }
            if (scope < 0) {
                for (int s = use.scope; s >= 0; s = scopes_[s].parent) undeclared_[s].insert(name);
                continue;
            }
            use.binding = scopes_[scope].bindings.at(name);
            if (use.declared >= 0 && use.declared != use.binding) return false;
            if (IsPunctuator(Before(use.token), "%") && name == "s") return false;
            ++bindings_[use.binding].uses;
            for (int s = use.scope; s != scope; s = scopes_[s].parent) {
                usedThrough_[s].insert(use.binding);
            }
        }
        uses_.erase(std::remove_if(uses_.begin(), uses_.end(),
                                   [](const Use& use) { return use.binding < 0; }),
                    uses_.end());
        return true;
    }

    // Scopes come before the scopes inside them, so the names seen through a scope are chosen
    // before its own. The most used names get the shortest.
    void ChooseNames() {
        for (size_t s = 1; s < scopes_.size(); ++s) {
            if (!Renames(static_cast<int>(s))) continue;
            std::set<std::string> taken = NamesSeenIn(static_cast<int>(s));
            if (!scopes_[s].isFunction) {
                // Old Internet Explorer puts a catch parameter in the enclosing function's
                // scope, so it takes none of the names seen or declared there, nor those of the
                // catch clauses around it.
                const int function = FunctionScopeOf(static_cast<int>(s));
                const std::set<std::string> seen = NamesSeenIn(function);
                taken.insert(seen.begin(), seen.end());
                for (int outer = scopes_[s].parent;; outer = scopes_[outer].parent) {
                    for (const auto& entry : scopes_[outer].bindings) {
                        taken.insert(bindings_[entry.second].newName);
                    }
                    if (outer == function) break;
                }
            }
            std::vector<int> own;
            for (const auto& entry : scopes_[s].bindings) own.push_back(entry.second);
            std::stable_sort(own.begin(), own.end(), [this](int a, int b) {
                return bindings_[a].uses > bindings_[b].uses;
            });
            size_t next = 0;
            for (const int binding : own) {
                std::string name = ShortName(next);
                while (taken.count(name) != 0 || IsReservedWord(name)) name = ShortName(++next);
                const std::string& old = bindings_[binding].name;
                if (name.size() >= old.size() && taken.count(old) == 0) {
                    name = old;
                } else {
                    ++next;
                }
                bindings_[binding].newName = name;
                taken.insert(name);
            }
        }
    }

    // The names scope may not hand out: the undeclared names used in it and the chosen names of
    // the outer bindings used in it.
    std::set<std::string> NamesSeenIn(int scope) const {
        std::set<std::string> names = undeclared_[scope];
        for (const int binding : usedThrough_[scope]) names.insert(bindings_[binding].newName);
        return names;
    }

    std::vector<ScriptToken>& tokens_;
    std::vector<Scope> scopes_;  // 0: the outermost level, whose names stay
    std::vector<Binding> bindings_;
    std::vector<Use> uses_;
    std::vector<Open> open_;
    std::vector<VarStatement> vars_;
    std::vector<std::set<int>> usedThrough_;
    std::vector<std::set<std::string>> undeclared_;
    int scope_ = 0;
    int pendingScope_ = -1;
    bool lastColonEndsTernary_ = false;
    bool failed_ = false;
};

}  // namespace

bool ShortenLocalNames(std::vector<ScriptToken>& tokens) {
    std::vector<ScriptToken> renamed = tokens;
    if (!Renamer(renamed).Run()) return false;
    tokens = std::move(renamed);
    return true;
}

}  // namespace proxy
