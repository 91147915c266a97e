// Draws every picture of the program into the folder given as the only
// argument. Run it through build.sh beside this file; its output is committed,
// so a build never needs it.
//
// Glyph strips hold two images side by side, normal and disabled. Their
// bottom-left pixel stays fully transparent because the speed buttons take
// that pixel's colour as the transparent one.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>

namespace {

QString g_out;

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QFont font(int pixels, bool bold, bool italic = false, const QString& family = "Liberation Sans")
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void save(const QImage& img, const QString& name, int quality = -1)
{
    const QString path = QDir(g_out).filePath(name);
    if (!img.save(path, nullptr, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    std::printf("%s %dx%d\n", qPrintable(name), img.width(), img.height());
}

// Disabled look: a light grey shape of the same outline, so the button still
// shows what it is for.
QImage disabled(const QImage& normal)
{
    QImage img = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a == 0) {
                line[x] = 0;
                continue;
            }
            const int v = 120 + qGray(p) * 100 / 255;
            line[x] = qRgba(v, v, v, a * 3 / 4);
        }
    }
    return img;
}

QImage strip(const QImage& normal)
{
    QImage out = blank(normal.width() * 2, normal.height());
    QPainter p(&out);
    p.drawImage(0, 0, normal);
    p.drawImage(normal.width(), 0, disabled(normal));
    p.end();
    // Keep every transparent pixel at the exact same value as the key pixel.
    QImage result = out.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (qAlpha(line[x]) == 0) {
                line[x] = 0;
            }
        }
    }
    return result;
}

QImage draw(int w, int h, const std::function<void(QPainter&)>& paint)
{
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    p.end();
    return img;
}

void disc(QPainter& p, QRectF r, QColor light, QColor dark)
{
    QRadialGradient g(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() * 0.7);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(140), 1));
    p.setBrush(g);
    p.drawEllipse(r);
}

void centredText(QPainter& p, QRectF r, const QString& text, const QFont& f, QColor c)
{
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

// The maker's logo on the information dialog's silver, so the JPEG needs no
// transparency to sit on it.
QImage logo()
{
    QImage img(238, 65, QImage::Format_RGB32);
    img.fill(QColor(192, 192, 192));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Emblem: a track oval in the three brand colours.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 0, 0), 5, Qt::SolidLine, Qt::RoundCap));
    const QRectF oval(8, 12, 50, 40);
    p.drawArc(oval, 30 * 16, 150 * 16);
    p.setPen(QPen(QColor(0, 153, 0), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(oval, 190 * 16, 120 * 16);
    p.setPen(QPen(QColor(90, 90, 90), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(oval, 320 * 16, 60 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(33, 32), 5, 5);

    const QFont big = font(34, true, true);
    p.setFont(big);
    const QFontMetrics fm(big);
    int x = 66;
    const int base = 42;
    const struct
    {
        const char* part;
        QColor colour;
    } parts[] = {{"Or", QColor(255, 0, 0)}, {"ta", QColor(0, 153, 0)}, {"vin", QColor(90, 90, 90)}};
    for (const auto& part : parts) {
        p.setPen(QColor(255, 255, 255, 150));
        p.drawText(x + 1, base + 1, part.part);
        p.setPen(part.colour);
        p.drawText(x, base, part.part);
        x += fm.horizontalAdvance(part.part);
    }
    QFont small = font(11, true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    p.setFont(small);
    p.setPen(QColor(102, 102, 0));
    p.drawText(QRect(66, 46, 164, 14), Qt::AlignRight | Qt::AlignVCenter, "SOFTWARE");
    p.end();
    return img;
}

// The small race flag of the main window's header, on the face colour.
QImage flag()
{
    QImage img(28, 21, QImage::Format_RGB32);
    img.fill(QColor(239, 239, 239));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 50, 30));
    p.drawRect(QRectF(2, 1, 2, 20));
    const double cell = 4.0;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 6; ++col) {
            const double x = 4 + col * cell;
            const double wave = 1.5 * std::sin(col * 0.9);
            p.setBrush((row + col) % 2 ? QColor(20, 20, 20) : QColor(255, 255, 255));
            p.drawRect(QRectF(x, 2 + row * cell + wave, cell, cell));
        }
    }
    p.end();
    return img;
}

void stopwatch(QPainter& p, double s)
{
    p.scale(s / 64.0, s / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(27, 2, 10, 8), 2, 2);
    p.drawRoundedRect(QRectF(49, 10, 8, 7), 2, 2);
    disc(p, QRectF(5, 10, 54, 52), QColor(250, 250, 250), QColor(150, 150, 160));
    p.setBrush(QColor(255, 255, 255));
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawEllipse(QRectF(11, 16, 42, 40));
    p.setPen(QPen(QColor(0, 153, 0), 2.5));
    for (int i = 0; i < 12; ++i) {
        const double a = i * std::numbers::pi / 6;
        p.drawLine(QPointF(32 + 15 * std::cos(a), 36 + 14 * std::sin(a)),
                   QPointF(32 + 18 * std::cos(a), 36 + 17 * std::sin(a)));
    }
    p.setPen(QPen(QColor(220, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 36), QPointF(44, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(32, 36), 3, 3);
}

QImage question()
{
    return draw(32, 32, [](QPainter& p) {
        QPainterPath bubble;
        bubble.addEllipse(QRectF(1.5, 1.5, 29, 23));
        QPainterPath tail;
        tail.moveTo(8, 20);
        tail.lineTo(5, 30);
        tail.lineTo(15, 23);
        tail.closeSubpath();
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawPath(bubble.united(tail));
        centredText(p, QRectF(1, 0, 30, 26), "?", font(20, true), QColor(0, 40, 220));
    });
}

QImage helpGlyph()
{
    return draw(28, 28, [](QPainter& p) {
        disc(p, QRectF(2, 2, 24, 24), QColor(110, 160, 255), QColor(0, 50, 180));
        centredText(p, QRectF(2, 2, 24, 24), "?", font(18, true), Qt::white);
    });
}

QImage infoGlyph()
{
    return draw(28, 28, [](QPainter& p) {
        disc(p, QRectF(2, 2, 24, 24), QColor(100, 200, 130), QColor(0, 110, 50));
        centredText(p, QRectF(2, 3, 24, 24), "i", font(19, true, false, "Liberation Serif"),
                    Qt::white);
    });
}

QImage settingsGlyph()
{
    return draw(28, 28, [](QPainter& p) {
        QPainterPath gear;
        const QPointF c(14, 14);
        const int teeth = 8;
        for (int i = 0; i < teeth * 4; ++i) {
            const double a = i * 2 * std::numbers::pi / (teeth * 4);
            const double r = (i % 4 < 2) ? 12.0 : 9.0;
            const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
            if (i == 0) {
                gear.moveTo(pt);
            } else {
                gear.lineTo(pt);
            }
        }
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(c, 4, 4);
        QLinearGradient g(0, 2, 0, 26);
        g.setColorAt(0, QColor(200, 200, 210));
        g.setColorAt(1, QColor(90, 90, 100));
        p.setPen(QPen(QColor(50, 50, 60), 1));
        p.setBrush(g);
        p.drawPath(gear.subtracted(hole));
    });
}

QImage saveGlyph()
{
    return draw(24, 24, [](QPainter& p) {
        p.setPen(QPen(QColor(10, 30, 80), 1));
        p.setBrush(QColor(40, 80, 170));
        p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
        p.setBrush(QColor(210, 210, 215));
        p.drawRect(QRectF(6.5, 2.5, 11, 7));
        p.setBrush(QColor(40, 80, 170));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(13, 4, 3, 4));
        p.setBrush(Qt::white);
        p.setPen(QPen(QColor(10, 30, 80), 1));
        p.drawRect(QRectF(5.5, 12.5, 13, 9));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.drawLine(QPointF(7, 15.5), QPointF(17, 15.5));
        p.drawLine(QPointF(7, 18.5), QPointF(17, 18.5));
    });
}

QImage openGlyph()
{
    return draw(24, 24, [](QPainter& p) {
        p.setPen(QPen(QColor(120, 80, 0), 1));
        p.setBrush(QColor(230, 180, 40));
        QPainterPath back;
        back.moveTo(2.5, 5.5);
        back.lineTo(9.5, 5.5);
        back.lineTo(11.5, 7.5);
        back.lineTo(19.5, 7.5);
        back.lineTo(19.5, 19.5);
        back.lineTo(2.5, 19.5);
        back.closeSubpath();
        p.drawPath(back);
        QPainterPath flap;
        flap.moveTo(5.5, 10.5);
        flap.lineTo(22.5, 10.5);
        flap.lineTo(19.5, 19.5);
        flap.lineTo(2.5, 19.5);
        flap.closeSubpath();
        p.setBrush(QColor(255, 215, 90));
        p.drawPath(flap);
    });
}

QImage webGlyph()
{
    return draw(24, 24, [](QPainter& p) {
        disc(p, QRectF(2, 2, 20, 20), QColor(120, 190, 255), QColor(0, 80, 170));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 210), 1));
        p.drawEllipse(QRectF(7.5, 2.5, 9, 19));
        p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        p.drawLine(QPointF(4.5, 7.5), QPointF(19.5, 7.5));
        p.drawLine(QPointF(4.5, 16.5), QPointF(19.5, 16.5));
    });
}

QImage printGlyph()
{
    return draw(24, 24, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        QLinearGradient g(0, 9, 0, 18);
        g.setColorAt(0, QColor(200, 200, 200));
        g.setColorAt(1, QColor(120, 120, 120));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        p.drawLine(QPointF(8, 18), QPointF(16, 18));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 170, 0));
        p.drawEllipse(QPointF(18.5, 12.5), 1.2, 1.2);
    });
}

QImage clearGlyph()
{
    return draw(24, 24, [](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 14, 19));
        p.setPen(QPen(QColor(160, 160, 160), 1));
        for (int y = 6; y <= 18; y += 3) {
            p.drawLine(QPointF(7, y + 0.5), QPointF(16, y + 0.5));
        }
        p.setPen(QPen(QColor(220, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 9), QPointF(20, 20));
        p.drawLine(QPointF(20, 9), QPointF(9, 20));
    });
}

QImage okGlyph()
{
    return draw(18, 18, [](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(2, 9);
        tick.lineTo(7, 15);
        tick.lineTo(16, 3);
        p.setPen(QPen(QColor(0, 140, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    });
}

void writeQrc(const QStringList& files)
{
    QFile f(QDir(g_out).filePath("pictures.qrc"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::exit(1);
    }
    QTextStream out(&f);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/pictures\">\n";
    for (const QString& name : files) {
        out << "    <file>" << name << "</file>\n";
    }
    out << "  </qresource>\n</RCC>\n";
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> [<icon theme folder>]\n", argv[0]);
        return 2;
    }
    if (argc == 3) {
        // The desktop's menus want the program's icon at the usual theme sizes.
        g_out = QString::fromLocal8Bit(argv[2]);
        for (const int size : {32, 48, 64, 128}) {
            save(draw(size, size, [size](QPainter& p) { stopwatch(p, size); }),
                 QStringLiteral("kelvatron-%1.png").arg(size));
        }
    }
    g_out = QString::fromLocal8Bit(argv[1]);

    save(logo(), "logo.jpg", 95);
    save(flag(), "flag.jpg", 95);
    save(draw(32, 32, [](QPainter& p) { stopwatch(p, 32); }), "kelvatron-32.png");
    save(draw(64, 64, [](QPainter& p) { stopwatch(p, 64); }), "kelvatron-64.png");
    save(question(), "question.png");
    save(strip(helpGlyph()), "help.png");
    save(strip(settingsGlyph()), "settings.png");
    save(strip(infoGlyph()), "info.png");
    save(strip(saveGlyph()), "save.png");
    save(strip(openGlyph()), "open.png");
    save(strip(webGlyph()), "web.png");
    save(strip(printGlyph()), "print.png");
    save(strip(clearGlyph()), "clear.png");
    save(strip(okGlyph()), "ok.png");
    writeQrc({"logo.jpg", "flag.jpg", "kelvatron-32.png", "kelvatron-64.png", "question.png",
              "help.png", "settings.png", "info.png", "save.png", "open.png", "web.png",
              "print.png", "clear.png", "ok.png"});
    return 0;
}
