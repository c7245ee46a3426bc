// The e-mail address field's validator on any text (UTF-8): an acceptable address has one
// "@" and a dotted domain, and cutting an acceptable address short never makes it invalid.
#include <Tavrin/Util/EmailValidator.h>

#include <QValidator>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<QValidator> validator(Tavrin::Util::GetEmailValidator(nullptr));
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    int position = text.size();
    if (validator->validate(text, position) != QValidator::Acceptable) {
        return 0;
    }
    const int at = text.indexOf(QLatin1Char('@'));
    if (at <= 0 || text.indexOf(QLatin1Char('@'), at + 1) >= 0 ||
        !text.midRef(at + 1).contains(QLatin1Char('.'))) {
        std::abort();
    }
    QString shorter = text.left(text.size() - 1);
    position = shorter.size();
    if (validator->validate(shorter, position) == QValidator::Invalid) {
        std::abort();
    }
    return 0;
}
