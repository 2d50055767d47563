#include "app/displayname.h"

namespace voxa {

QString DisplayName(const QString &name)
{
    QString out = name.toLower();
    // The accented letters of the code page that count as letters here, and
    // their capitals.
    static constexpr char16_t small[] = {u'á', u'é', u'í', u'ó', u'ő', u'ö', u'ú', u'ű', u'ü'};
    static constexpr char16_t capital[] = {u'Á', u'É', u'Í', u'Ó', u'Ő', u'Ö', u'Ú', u'Ű', u'Ü'};
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z') {
            c = QChar(u - u'a' + u'A');
            return out;
        }
        for (size_t i = 0; i < std::size(small); ++i)
            if (u == small[i]) {
                c = QChar(capital[i]);
                return out;
            }
    }
    return out;
}

}  // namespace voxa
