#include "Tavrin/Util/EmailValidator.h"

#include <QList>
#include <QStringView>
#include <QValidator>

#include <algorithm>

namespace Tavrin {
namespace Util {

namespace {

const int kMaxLabelLength = 63;

bool IsAsciiAlphanumeric(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

bool IsLocalPartChar(QChar c)
{
    return IsAsciiAlphanumeric(c) || QStringView(u".!#$%&'*+/=?^_`{|}~-").contains(c);
}

bool IsDomainChar(QChar c)
{
    return IsAsciiAlphanumeric(c) || c == QLatin1Char('-') || c == QLatin1Char('.');
}

bool IsCompleteLabel(QStringView label)
{
    return !label.isEmpty() && label.size() <= kMaxLabelLength &&
           label.front() != QLatin1Char('-') && label.back() != QLatin1Char('-');
}

class EmailValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        const QStringView text(input);
        const int at = text.indexOf(QLatin1Char('@'));
        const QStringView local = at < 0 ? text : text.left(at);
        if (!std::all_of(local.begin(), local.end(), IsLocalPartChar)) {
            return Invalid;
        }
        if (at < 0) {
            return Intermediate;
        }
        const QStringView domain = text.mid(at + 1);
        if (!std::all_of(domain.begin(), domain.end(), IsDomainChar)) {
            return Invalid;  // a second "@" among them
        }
        const QList<QStringView> labels = domain.split(QLatin1Char('.'));
        bool complete = !local.isEmpty() && labels.size() >= 2;
        for (QStringView label : labels) {
            if (label.size() > kMaxLabelLength) {
                return Invalid;
            }
            complete = complete && IsCompleteLabel(label);
        }
        return complete ? Acceptable : Intermediate;
    }
};

}  // namespace

QValidator* GetEmailValidator(QObject* parent)
{
    return new EmailValidator(parent);
}

}  // namespace Util
}  // namespace Tavrin
