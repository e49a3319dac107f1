#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// The in-memory copy of one language file: blocks of lines under "[section]" headers, in
// Windows-1252 on disk. Section names and keys are compared without regard to letter case;
// a look-up finds the last block of a name and the last line of a key. Every write rewrites
// the whole file.
class TQLanguageFile
{
public:
    // An empty language: no sections.
    TQLanguageFile() = default;
    // Reads the file if it exists; a missing file gives an empty language. A file that
    // exists but cannot be read raises EQLocalError naming it and the reason.
    explicit TQLanguageFile(const QString &fileName);
    // Reads a file's content (no file name: writes are kept in memory).
    static TQLanguageFile fromBytes(QByteArrayView bytes);

    const QString &FileName() const { return m_fileName; }

    // The quoted form written for every value: runs in double quotes, control characters as
    // #code between them. DecodeValue reads it back, and takes any other text as it stands.
    static QString EncodeValue(const QString &text);
    static QString DecodeValue(const QString &raw);

    QString ReadValue(const QString &section, const QString &ident,
                      const QString &defaultValue) const;
    // "key=text" for each key of the section with a non-empty text, in the order of each
    // key's first line.
    QStringList ReadSection(const QString &section) const;
    void WriteValue(const QString &section, const QString &ident, const QString &value);
    void ClearSection(const QString &section);
    // Empties the copy in memory; the file changes at the next write.
    void ClearAll() { m_blocks.clear(); }
    QStringList SectionNames() const;

    // The file as it is written: each block's header, its lines and an empty line, CR LF.
    QByteArray toBytes() const;

private:
    struct Block
    {
        QString name;
        QStringList lines; // "key=raw value", or a line without "=" as it was
    };
    void parse(QByteArrayView bytes);
    const Block *findBlock(const QString &name) const;
    void rewrite() const;

    QString m_fileName;
    std::vector<Block> m_blocks;
};

// The comma text that holds a list in one value: items separated by ",", an item with a
// blank, a control character, a quote or a comma in double quotes.
namespace CommaText {

QStringList read(const QString &text);
QString write(const QStringList &items);

} // namespace CommaText
