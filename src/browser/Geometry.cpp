#include "browser/Geometry.h"
#include "platform/Services.h"
#include "platform/RuntimeError.h"
#include <QEvent>
#include <QWidget>
#include <cfenv>
#include <cmath>

int32_t roundTwips(double value)
{
    // nearbyint honours the default rounding mode: to nearest, halves to even.
    return int32_t(std::nearbyint(value));
}

int32_t workAreaHeightTwips(const QRect &wa, double tppY)
{
    // QRect's bottom() is inclusive; the platform's rectangle bottom is exclusive.
    return roundTwips(double(wa.height()) * tppY);
}

QPoint centeredTopLeftTwips(const QRect &wa, double tppX, double tppY, int32_t w, int32_t h)
{
    const int32_t H = roundTwips(double(wa.height()) * tppY);
    const int32_t W = roundTwips(double(wa.width()) * tppX);
    const int32_t L = roundTwips(double(wa.left()) * tppX);
    const int32_t T = roundTwips(double(wa.top()) * tppY);
    const int32_t top = T + (H - h) / 2;   // C++ division truncates toward zero
    const int32_t left = L + (W - w) / 2;
    return {left, top};
}

void CenterInWorkArea(QWidget *window, const ScreenService &screen)
{
    const double tx = screen.twipsPerPixelX(), ty = screen.twipsPerPixelY();
    const QSize frame = window->frameGeometry().size().isValid() && window->isVisible()
                            ? window->frameGeometry().size() : window->size();
    const QPoint t = centeredTopLeftTwips(screen.workAreaPixels(), tx, ty,
                                          roundTwips(frame.width() * tx), roundTwips(frame.height() * ty));
    window->move(roundTwips(t.x() / tx), roundTwips(t.y() / ty));
}

namespace {
class CentreOnFirstShow : public QObject
{
public:
    CentreOnFirstShow(QWidget *window, const ScreenService &screen) : QObject(window), m_screen(screen) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            CenterInWorkArea(static_cast<QWidget *>(watched), m_screen);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    const ScreenService &m_screen;
};
} // namespace

void CenterInWorkAreaWhenShown(QWidget *window, const ScreenService &screen)
{
    CenterInWorkArea(window, screen);
    window->installEventFilter(new CentreOnFirstShow(window, screen));
}

void FitHeightToWorkArea(QWidget *window, const ScreenService &screen)
{
    const double ty = screen.twipsPerPixelY();
    const int32_t twips = workAreaHeightTwips(screen.workAreaPixels(), ty);
    const int frameExtra = window->isWindow() && window->isVisible()
                               ? window->frameGeometry().height() - window->height() : 0;
    window->resize(window->width(), std::max(0, roundTwips(twips / ty) - frameExtra));
}
