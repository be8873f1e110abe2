#pragma once
// Comma-separated text: the line splitter of the import, the writer of the
// export, and the choice of character encoding for whole files.
//
// Splitting one line (comma as separator, '"' as quote character):
// - characters with codes 1 to 32 before a value are skipped;
// - a value that begins with a quote runs to the closing quote; two quotes
//   inside stand for one; the quotes are not part of the value; a quote that
//   is never closed runs to the end of the line; characters directly after
//   the closing quote start a further value;
// - any other value runs up to the next comma; blanks inside it belong to
//   it, blanks (codes 1 to 32) between it and its comma do not;
// - after a value, blanks are skipped and a comma there is consumed; a comma
//   that ends the line adds one empty value; a comma directly after a comma
//   yields an empty value; an empty line yields no values.
//
// Files are read as UTF-8 when they are valid UTF-8 (with or without a
// byte-order mark), otherwise as Windows-1252; they are written in
// Windows-1252 when every character fits, otherwise in UTF-8 with a
// byte-order mark, so that no character is lost either way.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vellora::transfer {

QStringList SplitCommaLine(QStringView line);

// The values joined by ","; a value holding a comma, a quote or a character
// with a code from 1 to 32 is quoted, inner quotes doubled. A line made of
// one empty value is written as two quotes (so that it is not an empty line).
QString CommaText(const QStringList &values);

// Decodes a comma-separated file. Returns false with *error for bytes that
// are not text (NUL bytes, as in UTF-16 files).
bool DecodeCommaFile(const QByteArray &bytes, QString *text, QString *error);
QByteArray EncodeCommaFile(const QString &text);

// Cuts decoded text into records. A record is one line (ended by CR, LF or
// CR LF), except that a quoted value may hold line breaks: while a quote is
// open at the end of a line the record goes on with the next line. A quote
// that is not closed within kMaxRecordLines lines or before the end of the
// text runs to the end of its own line only.
class CommaRecords {
public:
    static constexpr int kMaxRecordLines = 1000;
    explicit CommaRecords(QStringView text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next record without its line end.
    QStringView next();
    // 1-based number of the line the last record started on.
    int lineNumber() const { return m_line; }

private:
    // End of the line starting at from (index of CR/LF or size) and the
    // start of the next line.
    void lineAt(qsizetype from, qsizetype *end, qsizetype *nextStart) const;
    QStringView m_text;
    qsizetype m_pos = 0;
    int m_line = 0;
    int m_nextLine = 1;
};

}  // namespace vellora::transfer
