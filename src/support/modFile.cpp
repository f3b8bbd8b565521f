#include "support/modFile.h"

#include "support/MsgBox.h"
#include "support/PeVersion.h"
#include "support/VbError.h"

#include <array>
#include <string>
#include <vector>

namespace worktide {

const QString kVersionFieldNames =
    QStringLiteral("CompanyName;FileDescription;FileVersion;InternalName;LegalCopyright;OriginalFilename;ProductName;"
                   "ProductVersion;Comments;LegalTrademarks;PrivateBuild;SpecialBuild;Language");

namespace {

struct LanguageRow {
    const char16_t* code;
    const char16_t* name;
};

// The names keep the spellings our users have always seen ("Saudia", "Ukranian").
constexpr std::array<LanguageRow, 116> kLanguages{{
    {u"0436", u"Afrikaans"},
    {u"041C", u"Albanian"},
    {u"3801", u"Arabic - United Arab Emirates"},
    {u"3C01", u"Arabic - Bahrain"},
    {u"1401", u"Arabic - Algeria"},
    {u"0C01", u"Arabic - Egypt"},
    {u"0801", u"Arabic - Iraq"},
    {u"2C01", u"Arabic - Jordan"},
    {u"3401", u"Arabic - Kuwait"},
    {u"3001", u"Arabic - Lebanon"},
    {u"1001", u"Arabic - Libya"},
    {u"1801", u"Arabic - Morocco"},
    {u"2001", u"Arabic - Oman"},
    {u"4001", u"Arabic - Qatar"},
    {u"0401", u"Arabic - Saudia Arabia"},
    {u"2801", u"Arabic - Syria"},
    {u"1C01", u"Arabic - Tunisia"},
    {u"2401", u"Arabic - Yemen"},
    {u"042D", u"Basque"},
    {u"0423", u"Belarusian"},
    {u"0402", u"Bulgarian"},
    {u"0403", u"Catalan"},
    {u"0804", u"Chinese - PRC"},
    {u"0C04", u"Chinese - Hong Kong SAR"},
    {u"1004", u"Chinese - Singapore"},
    {u"0404", u"Chinese - Taiwan"},
    {u"041A", u"Croatian"},
    {u"0405", u"Czech"},
    {u"0406", u"Danish"},
    {u"0413", u"Dutch - Netherlands"},
    {u"0813", u"Dutch - Belgium"},
    {u"0C09", u"English - Australia"},
    {u"2809", u"English - Belize"},
    {u"1009", u"English - Canada"},
    {u"1809", u"English - Ireland"},
    {u"2009", u"English - Jamaica"},
    {u"1409", u"English - New Zealand"},
    {u"1C09", u"English - South Africa"},
    {u"2C09", u"English - Trinidad"},
    {u"0809", u"English - United Kingdom"},
    {u"0409", u"English - United States"},
    {u"0425", u"Estonian"},
    {u"0429", u"Farsi"},
    {u"040B", u"Finnish"},
    {u"0438", u"Faeroese"},
    {u"040C", u"French - Standard"},
    {u"080C", u"French - Belgium"},
    {u"0C0C", u"French - Canada"},
    {u"140C", u"French - Luxembourg"},
    {u"100C", u"French - Switzerland"},
    {u"043C", u"Gaelic - Scotland"},
    {u"0407", u"German - Standard"},
    {u"0C07", u"German - Austria"},
    {u"1407", u"German - Liechtenstein"},
    {u"1007", u"German - Luxembourg"},
    {u"0807", u"German - Switzerland"},
    {u"0408", u"Greek"},
    {u"040D", u"Hebrew"},
    {u"0439", u"Hindi"},
    {u"040E", u"Hungarian"},
    {u"040F", u"Icelandic"},
    {u"0421", u"Indonesian"},
    {u"0410", u"Italian - Standard"},
    {u"0810", u"Italian - Switzerland"},
    {u"0411", u"Japanese"},
    {u"0412", u"Korean"},
    {u"0426", u"Latvian"},
    {u"0427", u"Lithuanian"},
    {u"042F", u"Macedonian"},
    {u"043E", u"Malay - Malaysia"},
    {u"043A", u"Maltese"},
    {u"0414", u"Norwegian - Bokmal"},
    {u"0415", u"Polish"},
    {u"0816", u"Portuguese - Portugal"},
    {u"0416", u"Portuguese - Brazil"},
    {u"0417", u"Raeto-Romance"},
    {u"0418", u"Romanian - Romania"},
    {u"0818", u"Romanian - Moldova"},
    {u"0419", u"Russian"},
    {u"0819", u"Russian - Moldova"},
    {u"0C1A", u"Serbian - Cyrillic"},
    {u"0432", u"Setsuana"},
    {u"0424", u"Slovenian"},
    {u"041B", u"Slovak"},
    {u"042E", u"Sorbian"},
    {u"040A", u"Spanish - Traditional Sort"},
    {u"2C0A", u"Spanish - Argentina"},
    {u"400A", u"Spanish - Bolivia"},
    {u"340A", u"Spanish - Chile"},
    {u"240A", u"Spanish - Colombia"},
    {u"140A", u"Spanish - Costa Rica"},
    {u"1C0A", u"Spanish - Dominican Republic"},
    {u"300A", u"Spanish - Ecuador"},
    {u"100A", u"Spanish - Guatemala"},
    {u"480A", u"Spanish - Honduras"},
    {u"080A", u"Spanish - Mexico"},
    {u"4C0A", u"Spanish - Nicaragua"},
    {u"180A", u"Spanish - Panama"},
    {u"280A", u"Spanish - Peru"},
    {u"500A", u"Spanish - Puerto Rico"},
    {u"3C0A", u"Spanish - Paraguay"},
    {u"440A", u"Spanish - El Salvador"},
    {u"380A", u"Spanish - Uruguay"},
    {u"200A", u"Spanish - Venezuela"},
    {u"0430", u"Sutu"},
    {u"041D", u"Swedish"},
    {u"081D", u"Swedish - Finland"},
    {u"041E", u"Thai"},
    {u"041F", u"Turkish"},
    {u"0431", u"Tsonga"},
    {u"0422", u"Ukranian"},
    {u"0420", u"Urdu"},
    {u"042A", u"Vietnamese"},
    {u"0434", u"Xhosa"},
    {u"043D", u"Yiddish"},
    {u"0435", u"Zulu"},
}};

// The block as 16-bit units (little-endian); an odd last byte is dropped.
std::vector<char16_t> UnitsOf(const QByteArray& block) {
    std::vector<char16_t> units(static_cast<std::size_t>(block.size() / 2));
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto lo = static_cast<unsigned char>(block[static_cast<qsizetype>(2 * i)]);
        const auto hi = static_cast<unsigned char>(block[static_cast<qsizetype>(2 * i + 1)]);
        units[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return units;
}

// Index of the first unit of value 1 (the text type word) that is directly
// followed by key, searching from `from`; npos when there is none.
std::size_t FindTextKey(const std::vector<char16_t>& units, QStringView key, std::size_t from = 0) {
    const std::size_t n = units.size();
    const auto len = static_cast<std::size_t>(key.size());
    for (std::size_t i = from; i + len < n; ++i) {
        if (units[i] != 1)
            continue;
        bool match = true;
        for (std::size_t k = 0; k < len && match; ++k)
            match = units[i + 1 + k] == key[static_cast<qsizetype>(k)].unicode();
        if (match)
            return i;
    }
    return std::string::npos;
}

// The units from pos up to the next NUL (or the end of the block).
QString TextAt(const std::vector<char16_t>& units, std::size_t pos) {
    QString text;
    for (std::size_t i = pos; i < units.size() && units[i] != 0; ++i)
        text.append(QChar(units[i]));
    return text;
}

QString FieldEntry(const std::vector<char16_t>& units, QStringView name) {
    const std::size_t at = FindTextKey(units, name);
    if (at == std::string::npos)
        return name.toString() + QStringLiteral(": Not specified");
    // On the key's NUL terminator; a padding NUL may follow it before the value.
    std::size_t pos = at + 1 + static_cast<std::size_t>(name.size());
    if (pos + 1 < units.size() && units[pos + 1] == 0)
        pos += 2;
    else if (pos < units.size() && units[pos] == 0)
        pos += 1;
    return name.toString() + QStringLiteral(": ") + TextAt(units, pos);
}

// Only ASCII digits: the part is written as a whole number without leading zeros.
// Anything else is left as it stands.
QString AsWholeNumber(const QString& part) {
    const QString t = part.trimmed();
    if (t.isEmpty())
        return part;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return part;
    qsizetype first = 0;
    while (first < t.size() - 1 && t[first] == u'0')
        ++first;
    return t.mid(first);
}

} // namespace

QStringList VersionFieldsFromBlock(const QByteArray& block) {
    if (block.isEmpty())
        return {};
    const std::vector<char16_t> units = UnitsOf(block);
    const QStringList names = kVersionFieldNames.split(u';');
    QStringList entries;
    entries.reserve(names.size());
    for (qsizetype i = 0; i + 1 < names.size(); ++i)
        entries.append(FieldEntry(units, names[i]));

    QString language = names.last();
    const QStringView stringFileInfo = u"StringFileInfo";
    const std::size_t sfi = FindTextKey(units, stringFileInfo);
    if (sfi != std::string::npos) {
        const std::size_t after = sfi + 1 + static_cast<std::size_t>(stringFileInfo.size());
        for (std::size_t i = after; i < units.size(); ++i) {
            if (units[i] == 1) {
                language += QStringLiteral(": ") + GetLanguageName(TextAt(units, i + 1));
                break;
            }
        }
    }
    entries.append(language);
    return entries;
}

QStringList GetFileVersionFields(const QString& path, UserMessages& failures) {
    try {
        return VersionFieldsFromBlock(ReadVersionResource(path));
    } catch (const std::exception& e) {
        failures.append({FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), QStringLiteral("GetFileVer"),
                                         QStringLiteral("Module"), QStringLiteral("mdlFile")),
                         vbOKOnly,
                         {}});
        return {};
    }
}

QString GetFileVer(const QString& path, bool keepLast, UserMessages& failures) {
    try {
        const QStringList fields = GetFileVersionFields(path, failures);
        if (fields.size() < 3)
            throw VbError(kErrSubscriptOutOfRange, QStringLiteral("GetFileVer"),
                          QStringLiteral("Subscript out of range"));
        const QString& entry = fields[2];
        const QString version = entry.mid(entry.indexOf(u' ') + 1);
        const qsizetype dot = version.lastIndexOf(u'.');
        if (keepLast)
            return version.left(dot + 1) + AsWholeNumber(version.mid(dot + 1));
        return dot < 0 ? QString() : version.left(dot);
    } catch (const std::exception& e) {
        failures.append({FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), QStringLiteral("GetFileVer"),
                                         QStringLiteral("Module"), QStringLiteral("mdlFile")),
                         vbOKOnly,
                         {}});
        return {};
    }
}

QString GetLanguageName(const QString& code) {
    const QString key = code.left(4).toUpper();
    for (const LanguageRow& row : kLanguages)
        if (key == QStringView(row.code))
            return QString::fromUtf16(row.name);
    return {};
}

} // namespace worktide
