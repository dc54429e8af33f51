#pragma once
#include <QList>
#include <QString>
#include <QToolBar>

class QAction;

// A tool bar whose entries are addressed by a fixed 1-based index, in the order they
// were declared. Separators and placeholder gaps take an index too, so callers can keep
// using the same numbers whatever the bar looks like.
class VToolBar : public QToolBar
{
    Q_OBJECT
public:
    enum class ButtonStyle { Button, Separator, Placeholder };

    struct ButtonSpec
    {
        ButtonStyle style = ButtonStyle::Button;
        QString key;
        QString toolTip;
        QString icon; // resource path, may be empty
        bool enabled = true;
        bool visible = true;
    };

    explicit VToolBar(const QList<ButtonSpec> &buttons, QWidget *parent = nullptr);

    int buttonCount() const;

    void setButtonEnabled(int index, bool on);
    bool buttonEnabled(int index) const;
    void setButtonVisible(int index, bool on);
    bool buttonVisible(int index) const;
    void setButtonToolTip(int index, const QString &t);
    QString buttonToolTip(int index) const;
    QString buttonKey(int index) const;
    ButtonStyle buttonStyle(int index) const;
    QAction *buttonAction(int index) const;

signals:
    void buttonClick(int index);

private:
    struct Entry
    {
        ButtonStyle style;
        QString key;
        QString toolTip;
        QAction *action = nullptr;
    };

    const Entry &entry(int index) const;
    Entry &entry(int index);
    void syncButtonWidget(const Entry &e);

    QList<Entry> m_entries;
};
