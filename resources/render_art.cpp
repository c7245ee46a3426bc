// Renders the library's pictures at build time from the drawings in art/:
//   render_art <art directory> <output directory>
// writes Icons/large_icon.png, Icons/activation.png, About/about_<locale>.png (the banner with
// the maker's name and the locale's tagline), EmailDialog/background.png and
// Dialogs/close.png under the output directory. Exits non-zero when a drawing cannot be read or
// a picture cannot be written.
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

struct Tagline
{
    const char* locale;
    const char* text;
};

// Every locale the about box has a picture for.
const Tagline kTaglines[] = {
    {"en_US", "Software made with care"},
    {"de_DE", "Software, mit Sorgfalt gemacht"},
    {"es_ES", "Software hecho con esmero"},
    {"fr_FR", "Des logiciels faits avec soin"},
    {"it_IT", "Software fatto con cura"},
    {"ja_JP", "心を込めて作ったソフトウェア"},
    {"ko_KR", "정성을 담아 만든 소프트웨어"},
    {"nl_NL", "Software, met zorg gemaakt"},
    {"pl_PL", "Oprogramowanie tworzone z troską"},
    {"pt_BR", "Software feito com carinho"},
    {"ru_RU", "Программы, сделанные с заботой"},
    {"tr_TR", "Özenle yapılmış yazılımlar"},
    {"zh_CN", "用心打造的软件"},
    {"zh_TW", "用心打造的軟體"},
};

bool g_failed = false;

void Fail(const QString& message)
{
    std::fprintf(stderr, "render_art: %s\n", message.toLocal8Bit().constData());
    g_failed = true;
}

QImage Render(const QString& svg, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        Fail(QStringLiteral("cannot read %1").arg(svg));
        return image;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return image;
}

void Save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        Fail(QStringLiteral("cannot write %1").arg(path));
    }
}

// The tagline in the locale's language where the build machine has a font for its script,
// else the English one.
QString TaglineFor(const Tagline& tagline, const QFont& font)
{
    const QString text = QString::fromUtf8(tagline.text);
    const QFontMetrics metrics(font);
    for (const uint character : text.toUcs4()) {
        if (!metrics.inFontUcs4(character)) {
            return QString::fromUtf8(kTaglines[0].text);
        }
    }
    return text;
}

QImage AboutPicture(const QString& art, const QImage& logo, const Tagline& tagline)
{
    QImage image = Render(art + QStringLiteral("/about.svg"), QSize(450, 219));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(36, 58, 76, 76), logo);

    QFont wordmark(QStringLiteral("DejaVu Sans"));
    wordmark.setPixelSize(44);
    wordmark.setBold(true);
    wordmark.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    painter.setFont(wordmark);
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawText(QPoint(130, 108), QStringLiteral("TAVRIN"));

    QFont family(QStringLiteral("DejaVu Sans"));
    family.setPixelSize(12);
    family.setLetterSpacing(QFont::AbsoluteSpacing, 4.5);
    painter.setFont(family);
    painter.setPen(QColor(0xF0, 0xA0, 0x5A));
    painter.drawText(QPoint(133, 130), QStringLiteral("SOFTWARE"));

    QFont tag(QStringLiteral("DejaVu Sans"));
    tag.setPixelSize(14);
    painter.setFont(tag);
    painter.setPen(QColor(0xC9, 0xCC, 0xDA));
    painter.drawText(QRect(36, 168, 380, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     TaglineFor(tagline, tag));
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_art <art directory> <output directory>\n");
        return 2;
    }
    const QString art = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));

    const QString logoSvg = art + QStringLiteral("/logo.svg");
    const QImage logo = Render(logoSvg, QSize(256, 256));
    Save(Render(logoSvg, QSize(64, 64)), out.filePath(QStringLiteral("Icons/large_icon.png")));
    Save(Render(logoSvg, QSize(32, 32)), out.filePath(QStringLiteral("Icons/activation.png")));
    for (const Tagline& tagline : kTaglines) {
        Save(AboutPicture(art, logo, tagline),
             out.filePath(QStringLiteral("About/about_%1.png").arg(QLatin1String(tagline.locale))));
    }
    Save(Render(art + QStringLiteral("/email_background.svg"), QSize(500, 400)),
         out.filePath(QStringLiteral("EmailDialog/background.png")));
    Save(Render(art + QStringLiteral("/close.svg"), QSize(60, 15)),
         out.filePath(QStringLiteral("Dialogs/close.png")));
    return g_failed ? 1 : 0;
}
