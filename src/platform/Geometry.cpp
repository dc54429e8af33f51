#include "platform/Geometry.h"
#include "platform/Services.h"
#include "core/RuntimeError.h"
#include <QEvent>
#include <QWidget>

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
