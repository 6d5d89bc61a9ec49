#pragma once

#include <QByteArray>
#include <QString>

// Checks that a text is strict JSON (RFC 8259: UTF-8, no control characters
// in strings, no lone surrogates) with no key given twice in one object and
// no nesting deeper than a desk needs. Only text that passes is handed to
// Qt's JSON parser, which keeps memory it allocated for some malformed or
// ambiguous inputs; every rejection here is a clear error at a byte offset.
class StrictJsonCheck
{
public:
    static constexpr int MaxDepth = 64;

    // True when text passes; otherwise offset and error say where and why.
    static bool check(const QByteArray& text, int& offset, QString& error);

private:
    StrictJsonCheck(const QByteArray& text) : m_text(text) {}

    bool value(int depth);
    bool object(int depth);
    bool array(int depth);
    bool string(QString* decoded);
    bool number();
    bool literal(const char* word);
    bool codePoint(QString* decoded);
    void skipWhiteSpace();
    bool fail(const QString& error);
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    const QByteArray& m_text;
    int m_pos = 0;
    int m_errorOffset = 0;
    QString m_error;
};
