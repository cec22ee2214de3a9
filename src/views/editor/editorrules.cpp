#include "editorrules.h"

#include "repeatrule.h"

#include <QUrl>

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

template<typename Predicate>
QString trimmed(const QString &text, Predicate isTrimmed)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<QUrl> parsed(const QString &link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

// A host part exists when "//" follows the scheme; QUrl reports an empty and a missing host alike.
bool hasHostPart(const QString &link)
{
    const qsizetype colon = link.indexOf(u':');
    return colon > 0 && QStringView(link).sliced(colon + 1).startsWith(u"//");
}

}

namespace EditorRules {

QString trimmedSpacesAndTabs(const QString &text)
{
    return trimmed(text, isSpaceOrTab);
}

QString trimmedWhitespace(const QString &text)
{
    return text.trimmed();
}

bool isLinkValid(const QString &link)
{
    const QString text = trimmedWhitespace(link);
    if (text.isEmpty())
        return true;
    const std::optional<QUrl> url = parsed(text);
    if (!url)
        return false;
    const QString scheme = url->scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return false;
    return hasHostPart(text);
}

std::optional<EventAttachment> attachmentFor(const QString &link, const QString &label)
{
    const QString text = trimmedWhitespace(link);
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<QUrl> url = parsed(text);
    if (!url)
        return std::nullopt;
    const QString name = trimmedWhitespace(label);
    return EventAttachment{name.isEmpty() ? url->host() : name, text};
}

QString occurrenceText(int count)
{
    return QStringLiteral("Creates ") + QString::number(count) + QStringLiteral(" event")
            + (count == 1 ? QString() : QStringLiteral("s")) + QStringLiteral(" (up to ")
            + QString::number(kMaxSeriesOccurrences) + QStringLiteral(").");
}

}
