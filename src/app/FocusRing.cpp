#include "app/FocusRing.h"

#include <QApplication>
#include <QFocusFrame>
#include <QProxyStyle>

namespace {

// The ring is drawn above every control of the window, so that it shows also where the focused control
// meets the edge of its container, such as the bag list under the menu bar.
class AboveControls : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_FocusFrame_AboveWidget)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

void showFocusRing(QWidget& window) {
    auto* ring = new QFocusFrame(&window);
    auto* style = new AboveControls;
    style->setParent(ring);
    ring->setStyle(style);
    QPalette colours = ring->palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Highlight));
    ring->setPalette(colours);
    QObject::connect(qApp, &QApplication::focusChanged, ring, [&window, ring](QWidget*, QWidget* now) {
        ring->setWidget(now != nullptr && now != &window && now->window() == &window ? now : nullptr);
    });
}
