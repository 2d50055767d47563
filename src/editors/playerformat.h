#pragma once
// The player's five file kinds (cfg, mgs, mra, lce, ply) behind one
// interface. Each kind is known by the five characters its files begin with;
// it reads a file's content into its document and writes a document as the
// file's whole new content, with FileResult carrying the document or the
// reason, and FileError::text() the words for the user.
//
// The reader of a kind is its parse function and the writer its bytes
// function; reading from and writing to a path is the same for every kind
// and lives here once.
#include "editors/config/playerfile.h"

#include <QList>

namespace voxa {

class PlayerFormat {
public:
    PlayerFormat(const char *signature, const char *kind, qsizetype readSize)
        : m_signature(signature), m_kind(QString::fromLatin1(kind)), m_readSize(readSize)
    {
    }
    virtual ~PlayerFormat() = default;

    // "R7CFG": the first five bytes of every file of the kind.
    const QByteArray &signature() const { return m_signature; }
    // "cfg": the usual suffix, and the kind's name in the tool.
    const QString &kind() const { return m_kind; }
    // True when a file beginning with these bytes is of this kind.
    bool recognises(const QByteArray &head) const { return head.startsWith(m_signature); }

    // The start of a file as far as the reader looks at it (one byte more
    // than the kind's longest file, where a longer file is refused).
    FileResult<QByteArray> content(const QString &path) const { return playerfile::readHead(path, m_readSize); }
    // What the content holds, written again: the bytes this system would
    // save for it. Fails as the reader or the writer does.
    virtual FileResult<QByteArray> rewrite(const QByteArray &content) const = 0;
    // The words for the user for a failure of this kind's reader or writer.
    static QString errorText(const FileError &e) { return e.text(); }

private:
    QByteArray m_signature;
    QString m_kind;
    qsizetype m_readSize;
};

// A kind with its document type: the parse and bytes functions of its file.
template <class Document>
class DocumentFormat : public PlayerFormat {
public:
    using Parse = FileResult<Document> (*)(const QByteArray &content);
    using Encode = FileResult<QByteArray> (*)(const Document &document);

    DocumentFormat(const char *signature, const char *kind, qsizetype readSize, Parse parse, Encode encode)
        : PlayerFormat(signature, kind, readSize), m_parse(parse), m_encode(encode)
    {
    }

    FileResult<Document> parse(const QByteArray &bytes) const { return m_parse(bytes); }
    FileResult<QByteArray> bytes(const Document &document) const { return m_encode(document); }

    // Failure: CannotOpen (or NotRegularFile), WrongFormat or TooShort.
    FileResult<Document> read(const QString &path) const
    {
        const FileResult<QByteArray> bytes = content(path);
        if (!bytes)
            return bytes.error();
        return parse(*bytes);
    }
    // Nothing is written when the document cannot be stored; otherwise the
    // file is replaced whole or not at all (CannotCreate, SymbolicLink).
    WriteResult write(const QString &path, const Document &document) const
    {
        const FileResult<QByteArray> encoded = bytes(document);
        if (!encoded)
            return encoded.error();
        return playerfile::writeWhole(path, *encoded);
    }
    FileResult<QByteArray> rewrite(const QByteArray &content) const override
    {
        const FileResult<Document> document = parse(content);
        if (!document)
            return document.error();
        return bytes(*document);
    }

private:
    Parse m_parse;
    Encode m_encode;
};

// The five kinds, in the order the tool lists them: cfg, mgs, mra, lce, ply.
const QList<const PlayerFormat *> &playerFormats();
// The kind of a file beginning with head, or nullptr.
const PlayerFormat *playerFormatOf(const QByteArray &head);

}  // namespace voxa
