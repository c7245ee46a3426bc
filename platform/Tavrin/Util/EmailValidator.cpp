#include "Tavrin/Util/EmailValidator.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace Tavrin {
namespace Util {

namespace {

QString EmailPattern()
{
    const QString atom = QStringLiteral("[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+");
    const QString label = QStringLiteral("[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?");
    const QString localPart = QStringLiteral("%1(?:\\.%1)*").arg(atom);
    const QString domain = QStringLiteral("(?:%1\\.)+[A-Za-z]{2,63}").arg(label);
    return localPart + QLatin1Char('@') + domain;
}

}  // namespace

QValidator* GetEmailValidator(QObject* parent)
{
    // The validator anchors the pattern itself and reports prefixes as Intermediate.
    static const QRegularExpression expression(EmailPattern());
    return new QRegularExpressionValidator(expression, parent);
}

}  // namespace Util
}  // namespace Tavrin
