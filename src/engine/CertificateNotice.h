#pragma once
#include "engine/WebPage.h"
#include <QFrame>

class QLabel;
class QPushButton;
class QWebEngineView;

// Laid over a page whose site's certificate was refused: says plainly what is wrong and,
// when the error may be overridden, offers "Continue to this site".
class CertificateNotice : public QFrame
{
    Q_OBJECT
public:
    CertificateNotice(QWebEngineView *view, WebPage *page, QWidget *parent);

    void showProblem(const CertificateProblem &problem);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QWebEngineView *m_view;
    WebPage *m_page;
    QLabel *m_heading;
    QLabel *m_text;
    QPushButton *m_continue;
    CertificateProblem m_problem;
};
