#pragma once
#include <QPixmap>
#include <QWidget>

class AppContext;
class QLabel;

// The small borderless window shown while the start-up pages load.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit frmSplash(AppContext &ctx, QWidget *parent = nullptr);
    ~frmSplash() override;

    // The window's whole content, drawn at run time: the program icon and a caption.
    static QPixmap picture();
    static constexpr int PictureWidth = 280;
    static constexpr int PictureHeight = 45;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void centre();

    AppContext &m_ctx;
    QLabel *m_image = nullptr;
};
