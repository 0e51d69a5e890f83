#include "app/controls/FocusRing.h"

#include <QApplication>
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

FocusRing::FocusRing(QWidget& window) : QFocusFrame(&window) {
    auto* style = new AboveControls;
    style->setParent(this);
    setStyle(style);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Highlight));
    setPalette(colours);
    connect(qApp, &QApplication::focusChanged, this, [&window, this](QWidget*, QWidget* now) {
        setWidget(now != nullptr && now != &window && now->window() == &window ? now : nullptr);
    });
}
