// A small JSON reader for the dump tests: enough to walk the inspector's output and compare
// its values with hand-written ones. Throws std::runtime_error on malformed text, so a test
// also fails when the dump is not valid JSON.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelx::test {

struct Json {
    enum Type { null, boolean, number, string, array, object } type = null;
    bool flag = false;
    double value = 0;
    std::string text;   // strings: code points below 256 as single bytes
    std::string source; // numbers: the characters as written
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    std::vector<std::string> keyOrder;

    const Json& operator[](const std::string& key) const {
        auto found = fields.find(key);
        if (type != object || found == fields.end()) throw std::runtime_error("no key " + key);
        return found->second;
    }
    const Json& operator[](size_t i) const {
        if (type != array || i >= items.size()) throw std::runtime_error("no item " + std::to_string(i));
        return items[i];
    }
    size_t size() const { return type == array ? items.size() : fields.size(); }
};

class JsonParser {
  public:
    explicit JsonParser(const std::string& text) : s(text) {}
    Json parseDocument() {
        Json v = parseValue();
        skipSpace();
        if (at != s.size()) fail("text after the value");
        return v;
    }

  private:
    const std::string& s;
    size_t at = 0;

    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(at));
    }
    void skipSpace() {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t')) ++at;
    }
    bool literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (s.compare(at, n, word) != 0) return false;
        at += n;
        return true;
    }
    Json parseValue() {
        skipSpace();
        if (at >= s.size()) fail("end of text");
        Json v;
        char c = s[at];
        if (c == '{') {
            v.type = Json::object;
            ++at;
            skipSpace();
            if (at < s.size() && s[at] == '}') {
                ++at;
                return v;
            }
            for (;;) {
                skipSpace();
                Json key = parseValue();
                if (key.type != Json::string) fail("key not a string");
                skipSpace();
                if (at >= s.size() || s[at++] != ':') fail("missing colon");
                if (v.fields.count(key.text)) fail("duplicate key " + key.text);
                v.keyOrder.push_back(key.text);
                v.fields[key.text] = parseValue();
                skipSpace();
                if (at < s.size() && s[at] == ',') {
                    ++at;
                    continue;
                }
                if (at < s.size() && s[at] == '}') {
                    ++at;
                    return v;
                }
                fail("bad object");
            }
        }
        if (c == '[') {
            v.type = Json::array;
            ++at;
            skipSpace();
            if (at < s.size() && s[at] == ']') {
                ++at;
                return v;
            }
            for (;;) {
                v.items.push_back(parseValue());
                skipSpace();
                if (at < s.size() && s[at] == ',') {
                    ++at;
                    continue;
                }
                if (at < s.size() && s[at] == ']') {
                    ++at;
                    return v;
                }
                fail("bad array");
            }
        }
        if (c == '"') {
            v.type = Json::string;
            ++at;
            while (at < s.size() && s[at] != '"') {
                char ch = s[at++];
                if (static_cast<unsigned char>(ch) < 0x20) fail("control character in string");
                if (ch != '\\') {
                    v.text += ch;
                    continue;
                }
                if (at >= s.size()) fail("end in escape");
                char e = s[at++];
                switch (e) {
                case '"':
                    v.text += '"';
                    break;
                case '\\':
                    v.text += '\\';
                    break;
                case '/':
                    v.text += '/';
                    break;
                case 'n':
                    v.text += '\n';
                    break;
                case 't':
                    v.text += '\t';
                    break;
                case 'r':
                    v.text += '\r';
                    break;
                case 'b':
                    v.text += '\b';
                    break;
                case 'f':
                    v.text += '\f';
                    break;
                case 'u': {
                    if (at + 4 > s.size()) fail("short \\u");
                    unsigned code = static_cast<unsigned>(std::stoul(s.substr(at, 4), nullptr, 16));
                    at += 4;
                    if (code > 0xFF) fail("code point above 0xFF");
                    v.text += static_cast<char>(code);
                    break;
                }
                default:
                    fail("bad escape");
                }
            }
            if (at >= s.size()) fail("unterminated string");
            ++at;
            return v;
        }
        if (literal("true")) {
            v.type = Json::boolean;
            v.flag = true;
            return v;
        }
        if (literal("false")) {
            v.type = Json::boolean;
            return v;
        }
        if (literal("null")) return v;
        size_t start = at;
        if (at < s.size() && s[at] == '-') ++at;
        while (at < s.size() && (std::isdigit(static_cast<unsigned char>(s[at])) || s[at] == '.' ||
                                 s[at] == 'e' || s[at] == 'E' || s[at] == '+' || s[at] == '-'))
            ++at;
        if (start == at) fail("unexpected character");
        v.type = Json::number;
        v.source = s.substr(start, at - start);
        char* end = nullptr;
        v.value = std::strtod(v.source.c_str(), &end);
        if (*end != 0) fail("bad number " + v.source);
        return v;
    }
};

inline Json parseJson(const std::string& text) {
    return JsonParser(text).parseDocument();
}

} // namespace pelx::test
