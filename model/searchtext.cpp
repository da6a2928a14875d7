#include "searchtext.h"

namespace {

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('`') || c == QChar(0x00B4) || c == QChar(0x2019);
}

bool isVowel(QChar c)
{
    return QStringView(u"AEIOUaeiou").contains(c);
}

// Upper-case ASCII without apostrophes, as nearly every stored name and code is.
bool isFolded(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 && !(u >= 'a' && u <= 'z') && !isApostrophe(c);
    });
}

} // namespace

QString SearchText::fold(const QString& text)
{
    if (isFolded(text))
        return text;
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.isMark())
            continue;
        if (isApostrophe(c) && !folded.isEmpty() && isVowel(folded.back()))
            continue;
        folded += c;
    }
    return folded.toUpper();
}
