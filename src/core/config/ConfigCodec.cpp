#include "core/config/ConfigCodec.h"

#include "core/common/AppInfo.h"
#include "core/common/GlobalFunctions.h"
#include "core/config/ConfigFields.h"

namespace {

const QByteArray Magic("QCF\x00\x00\x01", 6);

enum HeaderField
{
    TagList = 1,
    Title = 2,
    Version = 3,
    Extension = 255,
};

// Reads numbers, bytes and texts from the file, refusing anything that would pass its end.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_bytes(bytes) {}

    int pos = 0;

    int remaining() const { return m_bytes.size() - pos; }

    bool byte(int *value)
    {
        if (remaining() < 1)
            return false;
        *value = static_cast<unsigned char>(m_bytes[pos++]);
        return true;
    }

    bool number(int *value)
    {
        quint32 v = 0;
        if (!peekNumber(&v) || v > quint32(ConfigCodec::MaxNumber))
            return false;
        pos += 4;
        *value = int(v);
        return true;
    }

    // The next four bytes as a number of any size, without reading past them.
    bool peekNumber(quint32 *value) const
    {
        if (remaining() < 4)
            return false;
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(m_bytes[pos + i]);
        *value = v;
        return true;
    }

    bool skip(int count)
    {
        if (count < 0 || remaining() < count)
            return false;
        pos += count;
        return true;
    }

    bool text(QString *value)
    {
        const int start = pos;
        int length = 0;
        if (!number(&length) || remaining() < length) {
            pos = start;
            return false;
        }
        *value = GlobalFunctions::fromSingleByte(m_bytes.mid(pos, length));
        pos += length;
        return true;
    }

    bool bytes(int count, QVector<int> *values)
    {
        if (remaining() < count)
            return false;
        values->clear();
        for (int i = 0; i < count; ++i)
            values->append(static_cast<unsigned char>(m_bytes[pos++]));
        return true;
    }

private:
    const QByteArray &m_bytes;
};

// Builds the file; numbers are written after their placeholders once the length is known.
class Writer
{
public:
    QByteArray out;

    void byte(int value) { out.append(static_cast<char>(value)); }
    void number(int value)
    {
        out.append(QByteArray(4, '\0'));
        numberEndingAt(value, out.size() - 1);
    }
    // Writes the four big-endian bytes so that the last one lands at the given offset.
    void numberEndingAt(int value, int lastOffset)
    {
        for (int i = 0; i < 4; ++i)
            out[lastOffset - i] = static_cast<char>((quint32(value) >> (8 * i)) & 0xFF);
    }
    void text(const QString &value)
    {
        const QByteArray bytes = GlobalFunctions::toSingleByte(value);
        number(int(qMin<qsizetype>(bytes.size(), ConfigCodec::MaxNumber + 1)));
        out.append(bytes);
    }
};

bool readCurrentEntry(Reader &reader, const ConfigField &field, ConfigCodec::Entry *entry)
{
    entry->number = field.entry;
    switch (field.kind) {
    case ConfigFieldKind::Text:
        return reader.text(&entry->text);
    case ConfigFieldKind::Check:
    case ConfigFieldKind::OptionGroup:
    case ConfigFieldKind::ListSelection:
        return reader.bytes(1, &entry->bytes);
    case ConfigFieldKind::CheckArray:
    case ConfigFieldKind::ListArray:
        return reader.bytes(field.members, &entry->bytes);
    }
    return false;
}

bool readPreviousEntry(Reader &reader, int number, ConfigCodec::Entry *entry)
{
    entry->number = number;
    int count = 0;
    switch (ConfigCodec::previousKind(number, &count)) {
    case ConfigCodec::PreviousKind::Text:
        return reader.text(&entry->text);
    case ConfigCodec::PreviousKind::Byte:
    case ConfigCodec::PreviousKind::Bytes:
        return reader.bytes(count, &entry->bytes);
    case ConfigCodec::PreviousKind::SkippedTexts:
        for (int i = 0; i < count; ++i) {
            QString dropped;
            if (!reader.text(&dropped))
                return false;
        }
        return true;
    }
    return false;
}

} // namespace

QByteArray ConfigCodec::familyTag()
{
    return QByteArray("\x54\x04\x02\x58", 4);
}

ConfigCodec::PreviousKind ConfigCodec::previousKind(int number, int *count)
{
    int n = 1;
    PreviousKind kind = PreviousKind::Byte;
    switch (number) {
    case 1:
    case 3:
    case 6:
    case 10:
    case 14:
    case 15:
    case 18:
        kind = PreviousKind::Text;
        break;
    case 12: // the five rating flags
        kind = PreviousKind::Bytes;
        n = 5;
        break;
    case 16: // the previous expiry year, month and day texts
        kind = PreviousKind::SkippedTexts;
        n = 3;
        break;
    case 22: // the article repeat count as two bytes
        kind = PreviousKind::Bytes;
        n = 2;
        break;
    default:
        break;
    }
    if (count)
        *count = n;
    return kind;
}

ConfigCodec::Decoded ConfigCodec::decode(const QByteArray &file)
{
    Decoded result;
    if (file.size() > MaxFileSize)
        return result; // CouldNotOpen: longer than the offsets can address

    // Magic and format bytes: a wrong byte marks a foreign file, a short file an unreadable one.
    const int magicLength = int(qMin<qsizetype>(file.size(), Magic.size()));
    if (file.left(magicLength) != Magic.left(magicLength)) {
        result.status = Status::Invalid;
        return result;
    }
    if (magicLength < Magic.size())
        return result;

    Reader reader(file);
    reader.pos = 6;
    int headerLength = 0;
    if (!reader.number(&headerLength))
        return result;
    // The header fields occupy offsets 10 to 10 + L1, and the data sections follow. Every
    // field that starts inside the header is read, a short one-byte field at its very end
    // included, and the sections are then looked for right after the header whatever the
    // fields held, so that a field that misreads cannot shift the data.
    const int headerEnd = 10 + headerLength;
    reader.pos = 10;

    // A header without a tag list reads the first data section.
    while (reader.pos <= headerEnd) {
        int type = 0;
        if (!reader.byte(&type))
            return result;
        if (type == TagList) {
            int count = 0;
            if (!reader.number(&count))
                return result;
            bool matched = false;
            for (int i = 0; i < count && !matched; ++i) {
                if (reader.remaining() < 4)
                    return result;
                if (file.mid(reader.pos, 4) == familyTag()) {
                    result.sectionIndex = i + 1;
                    matched = true;
                }
                reader.pos += 4;
            }
            if (!matched) {
                result.status = Status::Invalid;
                return result;
            }
        } else if (type == Title) {
            if (!reader.text(&result.title))
                return result;
        } else if (type == Version) {
            if (!reader.text(&result.version))
                return result;
        } else if (type == Extension) {
            int length = 0;
            if (!reader.number(&length) || !reader.skip(length))
                return result;
        }
        // Any other type is the type byte alone.
    }
    reader.pos = headerEnd + 1;
    if (reader.remaining() < 0)
        return result;

    // Sections of other encoder families come first. Each is skipped whole: its length field
    // holds the offset of its last byte, so the section ends length + 1 bytes after the field.
    for (int i = 1; i < result.sectionIndex; ++i) {
        int length = 0;
        if (!reader.number(&length) || !reader.skip(length + 1))
            return result;
    }

    // From here on the header has been understood; what fails now is reported per entry.
    result.status = Status::Ok;
    // A data length or format number beyond what the file's offsets can hold is damage, not
    // an entry that failed to import.
    const auto outOfRange = [&reader] {
        quint32 raw = 0;
        return reader.peekNumber(&raw) && raw > quint32(MaxNumber);
    };
    if (outOfRange()) {
        result.status = Status::Invalid;
        return result;
    }
    int dataLength = 0;
    if (!reader.number(&dataLength)) {
        result.endedAtEntry = 0;
        return result;
    }
    if (dataLength > file.size() - 1) {
        result.status = Status::Invalid;
        return result;
    }
    if (outOfRange()) {
        result.status = Status::Invalid;
        return result;
    }
    int format = 0;
    if (!reader.number(&format)) {
        result.endedAtEntry = 0;
        return result;
    }
    result.dataFormat = format == PreviousFormat ? PreviousFormat : CurrentFormat;

    // Entries are read to the end of the file; anything after the last entry is ignored.
    if (result.dataFormat == CurrentFormat) {
        for (const ConfigField &field : ConfigFields::all()) {
            Entry entry;
            if (!readCurrentEntry(reader, field, &entry)) {
                result.endedAtEntry = field.entry;
                return result;
            }
            result.entries.append(entry);
        }
    } else {
        for (int number = 1; number <= PreviousEntryCount; ++number) {
            Entry entry;
            if (!readPreviousEntry(reader, number, &entry)) {
                result.endedAtEntry = number;
                return result;
            }
            result.entries.append(entry);
        }
    }
    return result;
}

ConfigCodec::Encoded ConfigCodec::encode(const QVector<Entry> &entries)
{
    Encoded result;
    Writer w;
    w.out.append(Magic);
    w.number(0); // L1, written once the header is complete
    w.byte(TagList);
    w.number(4);
    w.out.append(familyTag());
    w.byte(Title);
    w.text(AppInfo::ApplicationTitle);
    w.byte(Version);
    w.text(AppInfo::versionText());
    w.numberEndingAt(w.out.size() - 1 - 10, 9);

    w.number(0); // L2
    const int dataStart = int(w.out.size());
    w.number(CurrentFormat);

    for (const Entry &entry : entries) {
        const ConfigField *field = ConfigFields::byEntry(entry.number);
        if (!field) {
            result.error =
                QStringLiteral("Entry %1 is not part of a configuration file.").arg(entry.number);
            return result;
        }
        if (field->kind == ConfigFieldKind::Text) {
            w.text(entry.text);
        } else {
            for (int value : entry.bytes) {
                if (value < 0 || value > 255) {
                    result.error = QStringLiteral("The value %1 of %2 does not fit in one byte.")
                                       .arg(value)
                                       .arg(QLatin1String(field->name));
                    return result;
                }
                w.byte(value);
            }
        }
        if (w.out.size() > MaxFileSize)
            break;
    }
    if (w.out.size() > MaxFileSize) {
        result.error = QStringLiteral("The configuration file would be longer than %1 bytes.")
                           .arg(MaxFileSize);
        return result;
    }
    w.numberEndingAt(w.out.size() - 1 - dataStart, dataStart - 1);
    result.bytes = w.out;
    return result;
}

ConfigCodec::Encoded ConfigCodec::encode(const Configuration &configuration)
{
    return encode(entriesOf(configuration));
}

QVector<ConfigCodec::Entry> ConfigCodec::entriesOf(const Configuration &configuration)
{
    QVector<Entry> entries;
    for (const ConfigField &field : ConfigFields::all()) {
        Entry entry;
        entry.number = field.entry;
        if (auto text = std::get_if<QString Configuration::*>(&field.member))
            entry.text = configuration.**text;
        else if (auto value = std::get_if<int Configuration::*>(&field.member))
            entry.bytes = {configuration.**value};
        else if (auto values = std::get_if<QVector<int> Configuration::*>(&field.member))
            entry.bytes = configuration.**values;
        entries.append(entry);
    }
    return entries;
}
