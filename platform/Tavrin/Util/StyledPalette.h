#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QColor>
#include <QWidget>

namespace Tavrin {
namespace Util {

// Lets style sheets set application palette colours that no style sheet property reaches,
// such as the colour of links in rich text, which a label takes from the application palette
// when its text is set:
//   Tavrin--Util--StyledPalette { qproperty-linksColor: #C45D4B; }
// Never shown: Apply() polishes a short-lived instance with the current style sheets.
class TAVRIN_APP_EXPORT StyledPalette : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor linksColor READ GetLinksColor WRITE SetLinksColor)

public:
    // Puts the colours the application's style sheet gives this class into the application
    // palette. Call before setting the texts whose links should follow it.
    static void Apply();

    QColor GetLinksColor() const;
    void SetLinksColor(const QColor& color);

private:
    StyledPalette() = default;
};

}  // namespace Util
}  // namespace Tavrin
