#pragma once

#include "core/config/Configuration.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The byte layout of ".qcf" configuration files, without any window or message.
//
// A file is the magic "QCF" 00 00 01, a header section (encoder-family tags, the writing
// application's title and version) and one data section per tag: the data format number and
// the entries in a fixed order. Numbers are 4 bytes big-endian and lie in 0..32767, texts are a
// number of characters followed by one single-byte character each, and a section's length
// field holds the offset of its last byte counted from the first byte after the field.
//
// Decoding never trusts a length: every one is checked against the bytes that remain, so a
// damaged or hostile file ends in a status, never in a read past the end.
class ConfigCodec
{
public:
    static constexpr int MaxFileSize = 32767; // the offsets are 16-bit signed
    static constexpr int MaxNumber = 32767;
    static constexpr int CurrentFormat = 2;
    static constexpr int PreviousFormat = 1;
    static constexpr int PreviousEntryCount = 22;
    static constexpr int NotEnded = -1;

    // One stored entry: its number in its format's entry list and its value, a text or bytes
    // (one byte for a check, option group or list selection, one per member for an array).
    struct Entry
    {
        int number = 0;
        QString text;
        QVector<int> bytes;

        bool operator==(const Entry &o) const
        {
            return number == o.number && text == o.text && bytes == o.bytes;
        }
    };

    enum class Status
    {
        Ok,           // header and data section found; entries holds what could be read
        CouldNotOpen, // the file is too long, or ends or breaks before its header is read
        Invalid,      // wrong magic or format bytes, no matching tag, data length beyond the file
    };

    struct Decoded
    {
        Status status = Status::CouldNotOpen;
        int dataFormat = 0; // CurrentFormat or PreviousFormat
        QString title;      // header texts, kept for inspection only
        QString version;
        int sectionIndex = 1;   // 1-based position of the "T42X" tag in the tag list
        QVector<Entry> entries; // entries read, in file order
        // The entry whose bytes ran past the end of the file (0: the data section's length or
        // format number); NotEnded when every entry was read.
        int endedAtEntry = NotEnded;
    };

    struct Encoded
    {
        QByteArray bytes; // empty when the file could not be built
        QString error;    // why it could not be built
        bool ok() const { return error.isEmpty(); }
    };

    // The encoder-family tag of the sections this program reads and writes: "T42X" as the
    // bytes 54 04 02 58 (the digits as numbers, not characters).
    static QByteArray familyTag();

    static Decoded decode(const QByteArray &file);

    // Builds a whole current-format file from entries 1..49 in file order. Fails, without
    // bytes, when a byte value lies outside 0..255, an entry number is unknown or the file
    // would be longer than MaxFileSize.
    static Encoded encode(const QVector<Entry> &entries);
    static Encoded encode(const Configuration &configuration);

    // The 49 current-format entries of a configuration, in file order.
    static QVector<Entry> entriesOf(const Configuration &configuration);

    // What a previous-format entry holds.
    enum class PreviousKind
    {
        Text,
        Byte,
        Bytes,        // a fixed count of bytes (the rating flags, the repeat count)
        SkippedTexts, // texts that are read past and dropped
    };
    static PreviousKind previousKind(int number, int *count = nullptr);
};
