#include "framework/com/registrar_script.h"

#include <new>
#include <utility>

#include "core/ascii_case.h"
#include "core/utf16.h"

namespace glyphpeek::com {
namespace {

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

bool EndsWord(char16_t c) { return IsSpace(c) || c == u'=' || c == u'\''; }

struct Token {
    enum class Kind { kEnd, kOpen, kClose, kEquals, kWord, kQuoted };
    Kind kind = Kind::kEnd;
    std::u16string text;  // kWord as written; kQuoted with '' already reduced to '
    size_t line = 1;
};

class Failure {
public:
    void Set(size_t line, const char* message) {
        if (failed_) return;  // the first fault is the one worth reporting
        failed_ = true;
        line_ = line;
        message_ = message;
    }
    bool failed() const { return failed_; }
    void Report(ScriptError* error) const {
        if (!error) return;
        error->line = line_;
        error->message = message_;
    }

private:
    bool failed_ = false;
    size_t line_ = 0;
    const char* message_ = "";
};

class Lexer {
public:
    Lexer(std::u16string_view text, Failure& failure) : text_(text), failure_(failure) {}

    // False on a lexical fault (reported through the failure).
    bool Next(Token& token) {
        token.text.clear();
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            if (text_[pos_] == u'\n') ++line_;
            ++pos_;
        }
        token.line = line_;
        if (pos_ == text_.size()) {
            token.kind = Token::Kind::kEnd;
            return true;
        }
        const char16_t c = text_[pos_];
        if (c == u'}') {
            ++pos_;
            token.kind = Token::Kind::kClose;
            return true;
        }
        if (c == u'{' && (pos_ + 1 == text_.size() || EndsWord(text_[pos_ + 1]) || text_[pos_ + 1] == u'{' ||
                          text_[pos_ + 1] == u'}')) {
            ++pos_;
            token.kind = Token::Kind::kOpen;
            return true;
        }
        if (c == u'=') {
            ++pos_;
            token.kind = Token::Kind::kEquals;
            return true;
        }
        if (c == u'\'') return Quoted(token);
        return Word(token);
    }

private:
    bool Quoted(Token& token) {
        token.kind = Token::Kind::kQuoted;
        const size_t startLine = line_;
        ++pos_;
        for (;;) {
            if (pos_ == text_.size()) {
                failure_.Set(startLine, "unterminated quoted text");
                return false;
            }
            const char16_t c = text_[pos_++];
            if (c == u'\'') {
                if (pos_ < text_.size() && text_[pos_] == u'\'') {
                    token.text.push_back(u'\'');
                    ++pos_;
                    continue;
                }
                return Separated();
            }
            if (c == u'\0') {
                failure_.Set(line_, "NUL inside quoted text");
                return false;
            }
            if (c == u'\n') ++line_;
            token.text.push_back(c);
        }
    }

    // A bare word ends at whitespace, '=', a quote or a brace; one that starts with '{' is a braced
    // name such as a GUID and runs to its first '}'.
    bool Word(Token& token) {
        token.kind = Token::Kind::kWord;
        const size_t start = pos_;
        const bool braced = text_[pos_] == u'{';
        if (braced) ++pos_;
        for (;;) {
            if (pos_ == text_.size() || EndsWord(text_[pos_]) || text_[pos_] == u'{') {
                if (braced) {
                    failure_.Set(line_, "a braced name without its '}'");
                    return false;
                }
                break;
            }
            const char16_t c = text_[pos_];
            if (c < 0x20) {
                failure_.Set(line_, "control character in the script");
                return false;
            }
            if (c == u'}') {
                if (braced) ++pos_;
                break;
            }
            ++pos_;
        }
        token.text.assign(text_.substr(start, pos_ - start));
        return Separated();
    }

    // Names are parted by whitespace, '=' or a brace: `abc'def'` is a fault, not two keys.
    bool Separated() {
        if (pos_ == text_.size()) return true;
        const char16_t c = text_[pos_];
        if (IsSpace(c) || c == u'=' || c == u'{' || c == u'}') return true;
        failure_.Set(line_, "two names without a separator");
        return false;
    }

    std::u16string_view text_;
    Failure& failure_;
    size_t pos_ = 0;
    size_t line_ = 1;
};

std::optional<ScriptRoot> RootFromName(std::u16string_view name) {
    static constexpr struct {
        std::u16string_view shortName, longName;
        ScriptRoot root;
    } kRoots[] = {
        {u"HKCR", u"HKEY_CLASSES_ROOT", ScriptRoot::kClassesRoot},
        {u"HKCU", u"HKEY_CURRENT_USER", ScriptRoot::kCurrentUser},
        {u"HKLM", u"HKEY_LOCAL_MACHINE", ScriptRoot::kLocalMachine},
        {u"HKU", u"HKEY_USERS", ScriptRoot::kUsers},
        {u"HKMU", u"HKMU", ScriptRoot::kScopeMachine},
    };
    for (const auto& r : kRoots)
        if (EqualsNoCase(name, r.shortName) || EqualsNoCase(name, r.longName)) return r.root;
    return std::nullopt;
}

// Accepts decimal or 0x-prefixed hexadecimal that fits 32 bits, nothing else (no sign, no spaces).
std::optional<std::uint32_t> ParseNumber(std::u16string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        unsigned digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (base == 16 && AsciiLower(c) >= u'a' && AsciiLower(c) <= u'f') digit = AsciiLower(c) - u'a' + 10;
        else return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

class Parser {
public:
    Parser(std::u16string_view text, std::span<const ScriptVariable> variables, Failure& failure)
        : lexer_(text, failure), variables_(variables), failure_(failure) {}

    bool Parse(Script& script) {
        if (!Advance()) return false;
        while (token_.kind != Token::Kind::kEnd) {
            if (token_.kind != Token::Kind::kWord) return Fail("a root key (HKCR, HKCU, HKLM, HKU, HKMU) expected");
            const auto root = RootFromName(token_.text);
            if (!root) return Fail("unknown root key");
            ScriptRootKey& rootKey = script.roots.emplace_back();
            rootKey.root = *root;
            if (!Advance()) return false;
            if (token_.kind != Token::Kind::kOpen) return Fail("'{' expected after the root key");
            if (!Body(rootKey.values, rootKey.subkeys, 1)) return false;
        }
        return true;
    }

private:
    bool Advance() { return lexer_.Next(token_); }
    bool Fail(const char* message) {
        failure_.Set(token_.line, message);
        return false;
    }
    bool IsKeyword(std::u16string_view keyword) const {
        return token_.kind == Token::Kind::kWord && EqualsNoCase(token_.text, keyword);
    }

    // The token is an open brace; reads up to and including the matching close brace.
    bool Body(std::vector<ScriptNamedValue>& values, std::vector<ScriptKey>& subkeys, size_t depth) {
        if (depth > kMaxScriptDepth) return Fail("keys nested too deeply");
        if (!Advance()) return false;
        for (;;) {
            switch (token_.kind) {
            case Token::Kind::kClose:
                return Advance();
            case Token::Kind::kEnd:
                return Fail("'}' missing at the end of the script");
            case Token::Kind::kOpen:
            case Token::Kind::kEquals:
                return Fail("a key name or val expected");
            case Token::Kind::kWord:
            case Token::Kind::kQuoted:
                break;
            }
            if (IsKeyword(u"val")) {
                if (!NamedValue(values.emplace_back())) return false;
            } else if (!Key(subkeys.emplace_back(), depth)) {
                return false;
            }
        }
    }

    // `val Name = type data`; the token is `val`.
    bool NamedValue(ScriptNamedValue& value) {
        if (!Advance()) return false;
        if (token_.kind != Token::Kind::kWord && token_.kind != Token::Kind::kQuoted)
            return Fail("a value name expected after val");
        if (!Replace(token_.text, value.name)) return false;
        if (value.name.empty()) return Fail("empty value name (a default value is written `= s '...'`)");
        if (!Advance()) return false;
        if (token_.kind != Token::Kind::kEquals) return Fail("'=' expected after the value name");
        return Value(value.value);
    }

    bool Key(ScriptKey& key, size_t depth) {
        if (IsKeyword(u"NoRemove") || IsKeyword(u"ForceRemove")) {
            key.noRemove = IsKeyword(u"NoRemove");
            key.forceRemove = !key.noRemove;
            if (!Advance()) return false;
            if (IsKeyword(u"NoRemove") || IsKeyword(u"ForceRemove")) return Fail("only one of NoRemove, ForceRemove");
            if (token_.kind != Token::Kind::kWord && token_.kind != Token::Kind::kQuoted)
                return Fail("a key name expected");
        }
        if (!Replace(token_.text, key.name)) return false;
        if (key.name.empty()) return Fail("empty key name");
        if (key.name.find(u'\\') != std::u16string::npos)
            return Fail("a key name holds one level, without backslashes");
        if (!Advance()) return false;
        if (token_.kind == Token::Kind::kEquals) {
            if (!Value(key.defaultValue.emplace())) return false;
        }
        if (token_.kind == Token::Kind::kOpen) return Body(key.values, key.subkeys, depth + 1);
        return true;
    }

    // The token is '='; reads the type and the data and advances past them.
    bool Value(ScriptValue& value) {
        if (!Advance()) return false;
        if (IsKeyword(u"s")) value.type = ScriptValue::Type::kString;
        else if (IsKeyword(u"d")) value.type = ScriptValue::Type::kDword;
        else return Fail("a value type (s or d) expected");
        if (!Advance()) return false;
        std::u16string data;
        if (value.type == ScriptValue::Type::kString) {
            if (token_.kind != Token::Kind::kQuoted) return Fail("a string value is quoted");
            if (!Replace(token_.text, value.text)) return false;
        } else {
            if (token_.kind != Token::Kind::kQuoted && token_.kind != Token::Kind::kWord)
                return Fail("a number expected");
            if (!Replace(token_.text, data)) return false;
            const auto number = ParseNumber(data);
            if (!number) return Fail("a d value is a 32-bit decimal or 0x hexadecimal number");
            value.number = *number;
        }
        return Advance();
    }

    bool Replace(std::u16string_view raw, std::u16string& out) {
        out.clear();
        for (size_t i = 0; i < raw.size();) {
            const size_t percent = raw.find(u'%', i);
            if (percent == std::u16string_view::npos) {
                out.append(raw.substr(i));
                break;
            }
            out.append(raw.substr(i, percent - i));
            const size_t close = raw.find(u'%', percent + 1);
            if (close == std::u16string_view::npos) return Fail("'%' without its closing '%'");
            const std::u16string_view name = raw.substr(percent + 1, close - percent - 1);
            if (name.empty()) {
                out.push_back(u'%');
            } else {
                const ScriptVariable* found = nullptr;
                for (const ScriptVariable& v : variables_)
                    if (EqualsNoCase(v.name, name)) found = &v;
                if (!found) return Fail("unknown %NAME% variable");
                out.append(found->value);
            }
            i = close + 1;
        }
        // A NUL would cut the name or value short once it reaches the registry.
        if (out.find(u'\0') != std::u16string::npos) return Fail("NUL in replaced text");
        return true;
    }

    Lexer lexer_;
    std::span<const ScriptVariable> variables_;
    Failure& failure_;
    Token token_;
};

bool AppendUtf8(std::span<const std::uint8_t> bytes, std::u16string& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t b = bytes[i];
        std::uint32_t cp;
        size_t extra;
        std::uint32_t min;
        if (b < 0x80) { cp = b; extra = 0; min = 0; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; min = 0x10000; }
        else return false;
        if (bytes.size() - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const std::uint8_t c = bytes[i + k];
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        AppendUtf16(out, cp);
        i += extra + 1;
    }
    return true;
}

} // namespace

std::optional<Script> ParseScript(std::u16string_view text, std::span<const ScriptVariable> variables,
                                  ScriptError* error) noexcept {
    Failure failure;
    try {
        Script script;
        Parser parser(text, variables, failure);
        if (parser.Parse(script)) return script;
        failure.Set(0, "malformed script");
    } catch (const std::bad_alloc&) {
        failure.Set(0, "out of memory");
    } catch (...) {
        failure.Set(0, "unexpected failure");
    }
    failure.Report(error);
    return std::nullopt;
}

std::optional<std::u16string> DecodeScriptBytes(std::span<const std::uint8_t> bytes) noexcept {
    try {
        std::u16string text;
        if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            if (bytes.size() % 2 != 0) return std::nullopt;
            text.reserve(bytes.size() / 2 - 1);
            for (size_t i = 2; i < bytes.size(); i += 2)
                text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        } else {
            if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes = bytes.subspan(3);
            if (!AppendUtf8(bytes, text)) return std::nullopt;
        }
        while (!text.empty() && text.back() == u'\0') text.pop_back();
        return text;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace glyphpeek::com
