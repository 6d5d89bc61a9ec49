#include "display/platform/sim/DeskJsonReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace {

using Json = nlohmann::json;

// Hands the text to the library's lexer byte by byte and remembers how far it
// has read, so the builder knows where in the text each event happens.
class TrackingIterator
{
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* at, const char** reached) : m_at(at), m_reached(reached) {}

    reference operator*() const { return *m_at; }
    TrackingIterator& operator++()
    {
        *m_reached = ++m_at;
        return *this;
    }
    TrackingIterator operator++(int)
    {
        TrackingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const TrackingIterator& other) const { return m_at != other.m_at; }

private:
    const char* m_at;
    const char** m_reached;
};

// Builds the document from the parser's events, refusing what the library
// would accept but a desk must not contain.
class DocumentBuilder final : public nlohmann::json_sax<Json>
{
public:
    explicit DocumentBuilder(const std::string& text) : m_text(text), m_reached(text.data()) {}

    bool parse(Json& document)
    {
        const TrackingIterator first(m_text.data(), &m_reached);
        const TrackingIterator last(m_text.data() + m_text.size(), &m_reached);
        if (!Json::sax_parse(first, last, this))
            return false;
        document = std::move(m_document);
        return true;
    }

    std::size_t errorOffset() const { return m_errorOffset; }
    const QString& error() const { return m_error; }

    bool null() override { return place(nullptr); }
    bool boolean(bool value) override { return place(value); }
    bool number_integer(number_integer_t value) override { return place(value); }
    bool number_unsigned(number_unsigned_t value) override { return place(value); }
    bool number_float(number_float_t value, const string_t&) override { return place(value); }
    bool string(string_t& value) override { return place(std::move(value)); }
    // JSON text has no binary values; only the binary formats produce them.
    bool binary(binary_t&) override { return fail(read(), QStringLiteral("binary value")); }

    bool start_object(std::size_t) override { return open(Json::object()); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        Json& object = *m_open.back();
        if (object.contains(name))
            return fail(stringStart(read() - 1),
                        QStringLiteral("key %1 appears twice in one object")
                            .arg(QString::fromStdString(Json(name).dump())));
        m_slot = &object[name];
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const Json::exception& error) override
    {
        // The library's text is "[json.exception.<kind>] parse error at line
        // L, column C: syntax error while parsing <context> - <fault>"; the
        // place is given here as line:column of the whole text instead.
        std::string fault = error.what();
        fault = after(fault, "] ");
        if (fault.rfind("parse error at line", 0) == 0)
            fault = after(fault, ": ");
        if (fault.rfind("syntax error ", 0) == 0)
            fault = after(fault, "- ");
        // The position counts the bytes read, the failing one included.
        std::size_t offset = std::min(position > 0 ? position - 1 : 0, m_text.size());
        const std::size_t lastRead = fault.find("; last read: '");
        if (lastRead == std::string::npos) {
            // A whole token that does not belong here: point at its start.
            offset = tokenStart(offset);
            // The text stops inside an object or array: say which.
            if (fault.rfind("unexpected end of input", 0) == 0 && !m_open.empty())
                fault = m_open.back()->is_object() ? "unterminated object" : "unterminated array";
        } else {
            // The lexer stopped inside a token at the failing byte. What it
            // had read (which may be invalid UTF-8) is left out.
            fault = describeLexerError(fault.substr(0, lastRead));
            if (fault == "invalid UTF-8 in a string")
                offset = sequenceStart(offset);
        }
        return fail(offset, QStringLiteral("JSON syntax error: ") + QString::fromStdString(fault));
    }

private:
    static std::string describeLexerError(const std::string& message)
    {
        const std::string prefix = "invalid string: ";
        const std::string fault = message.compare(0, prefix.size(), prefix) == 0
                                      ? message.substr(prefix.size())
                                      : message;
        if (fault == "ill-formed UTF-8 byte")
            return "invalid UTF-8 in a string";
        if (fault.compare(0, 10, "surrogate ") == 0)
            return "lone surrogate in a string";
        if (fault == "forbidden character after backslash")
            return "invalid escape in a string";
        if (fault == "missing closing quote")
            return "unterminated string";
        return message;
    }

    // Bytes of the text the lexer has read so far.
    std::size_t read() const { return std::size_t(m_reached - m_text.data()); }

    static std::string after(const std::string& text, const char* marker)
    {
        const std::size_t at = text.find(marker);
        return at == std::string::npos ? text : text.substr(at + std::strlen(marker));
    }

    // The opening quote of the string whose closing quote is at closing: the
    // nearest quote before it that no backslash escapes.
    std::size_t stringStart(std::size_t closing) const
    {
        std::size_t at = closing;
        while (at > 0) {
            --at;
            std::size_t backslashes = 0;
            while (backslashes < at && m_text[at - 1 - backslashes] == '\\')
                ++backslashes;
            if (m_text[at] == '"' && backslashes % 2 == 0)
                return at;
        }
        return at;
    }

    // The first byte of the string, number or literal whose last byte is at
    // last (a structural character is a token of its own).
    std::size_t tokenStart(std::size_t last) const
    {
        if (last >= m_text.size())
            return last;
        const char c = m_text[last];
        if (c == '"')
            return stringStart(last);
        // Literals (true, false, null) end in a letter, numbers in a digit.
        const char* members = nullptr;
        if (c >= 'a' && c <= 'z')
            members = "abcdefghijklmnopqrstuvwxyz";
        else if (c >= '0' && c <= '9')
            members = "0123456789.eE+-";
        std::size_t at = last;
        while (members && at > 0 && m_text[at - 1] != '\0' && std::strchr(members, m_text[at - 1]))
            --at;
        return at;
    }

    // The lexer reports the byte at which UTF-8 went wrong; when that byte
    // cuts short a sequence begun before it, the sequence's lead byte is
    // where the bad character starts.
    std::size_t sequenceStart(std::size_t at) const
    {
        for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
            const auto byte = static_cast<unsigned char>(m_text[at - back]);
            if (byte < 0x80)
                break;
            if (byte >= 0xC0) {
                const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
                return back < length ? at - back : at;
            }
        }
        return at;
    }

    bool fail(std::size_t offset, const QString& error)
    {
        m_errorOffset = offset;
        m_error = error;
        return false;
    }

    // Puts a value where the parser is: the document itself, the next
    // element of the open array, or the value of the key just read.
    Json* add(Json value)
    {
        if (m_open.empty()) {
            m_document = std::move(value);
            return &m_document;
        }
        Json& parent = *m_open.back();
        if (parent.is_array())
            return &parent.emplace_back(std::move(value));
        *m_slot = std::move(value);
        return m_slot;
    }

    bool place(Json value)
    {
        add(std::move(value));
        return true;
    }

    bool open(Json container)
    {
        if (m_open.size() >= DeskJsonReader::MaxDepth)
            return fail(
                read() - 1,
                QStringLiteral("nesting deeper than %1 levels").arg(DeskJsonReader::MaxDepth));
        // Elements are only added to the innermost open container, so the
        // pointers to the outer ones stay valid.
        m_open.push_back(add(std::move(container)));
        return true;
    }

    bool close()
    {
        m_open.pop_back();
        return true;
    }

    const std::string& m_text;
    const char* m_reached;
    Json m_document;
    std::vector<Json*> m_open;
    Json* m_slot = nullptr;
    std::size_t m_errorOffset = 0;
    QString m_error;
};

} // namespace

bool DeskJsonReader::read(const std::string& text, nlohmann::json& document, std::size_t& offset,
                          QString& error)
{
    DocumentBuilder builder(text);
    if (builder.parse(document))
        return true;
    offset = builder.errorOffset();
    error = builder.error();
    return false;
}
