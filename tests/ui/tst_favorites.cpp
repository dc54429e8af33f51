#include "FakeBrowser.h"
#include "FakeServices.h"
#include "TestProgram.h"
#include "mainwindow/MDIForm1.h"
#include "favorites/basExplorerShell.h"
#include "favorites/frmListFiles.h"
#include <QComboBox>
#include <QListWidget>
#include <QMdiArea>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

namespace {

// The Favorites window open in the program, found among its loaded windows.
frmListFiles *openFavorites(AppContext &ctx)
{
    for (QWidget *w : ctx.windows.windows())
        if (auto *f = qobject_cast<frmListFiles *>(w))
            return f;
    return nullptr;
}

} // namespace

class tst_Favorites : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_favorites;

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Opens the window the way the main window's Favorites command does.
    static frmListFiles *open(FakeDesktop &d, BrowserControl *target)
    {
        d.ctx->state.FavoritesLeft = 1530;
        d.ctx->state.FavoritesTop = 1530;
        d.ctx->state.FavoritesHeight = 6000;
        frmListFiles *w = showFavoritesWindow(*d.ctx, target);
        if (w && !QTest::qWaitForWindowExposed(w))
            return nullptr;
        return w;
    }

    static QStringList texts(QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    static void doubleClick(frmListFiles *w, const QString &name)
    {
        auto *list = w->findChild<QListWidget *>(QStringLiteral("File1"));
        QVERIFY(list);
        const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->scrollToItem(found[0]);
        const QPoint at = list->visualItemRect(found[0]).center();
        // A real double-click starts with a click; the view only activates the item it pressed.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toLocal8Bit());
        m_favorites = QDir(m_home.path()).filePath(QStringLiteral("Favorites"));
        QVERIFY(QDir().mkpath(m_favorites + QStringLiteral("/News")));
        write(m_favorites + QStringLiteral("/Alpha.url"), "[DEFAULT]\r\nBASEURL=https://a.test/\r\n[InternetShortcut]\r\nURL=https://other.test/\r\n");
        write(m_favorites + QStringLiteral("/Beta.URL"), "[InternetShortcut]\nURL=https://b.test/page\n");
        write(m_favorites + QStringLiteral("/Evil.url"), "[InternetShortcut]\nURL=javascript:alert(1)\n");
        write(m_favorites + QStringLiteral("/Empty.url"), "[InternetShortcut]\nIconIndex=0\n");
        write(m_favorites + QStringLiteral("/notes.txt"), "[DEFAULT]\nBASEURL=https://n.test/\n");
        write(m_favorites + QStringLiteral("/News/Daily.url"), "[InternetShortcut]\nURL=https://daily.test/\n");
    }

    void specialFolder()
    {
        QCOMPARE(GetSpecialFolderPath(6), QDir::cleanPath(m_favorites));
        QCOMPARE(GetSpecialFolderPath(5), QString());
    }

    void readsShortcut_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("address");
        QTest::newRow("BASEURL upper, CRLF") << QByteArray("[DEFAULT]\r\nBASEURL=https://a.test/\r\n[InternetShortcut]\r\n")
                                             << QStringLiteral("https://a.test/");
        QTest::newRow("baseurl lower, case kept") << QByteArray("[default]\nbaseurl=http://b.test/X")
                                                  << QStringLiteral("http://b.test/X");
        QTest::newRow("URL= in section") << QByteArray("[InternetShortcut]\r\nIconIndex=1\r\n url = https://c.test/ \r\n")
                                         << QStringLiteral("https://c.test/");
        QTest::newRow("URL= outside section") << QByteArray("[Other]\nURL=https://d.test/\n") << QString();
        QTest::newRow("one line") << QByteArray("BASEURL=https://e.test/") << QString();
    }
    void readsShortcut()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, address);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.url"));
        write(path, content);
        QCOMPARE(frmListFiles::fnOpenFavorite(path), address);
        QCOMPARE(frmListFiles::fnOpenFavorite(dir.filePath(QStringLiteral("missing.url"))), QString());
        QCOMPARE(frmListFiles::fnOpenFavorite(dir.path()), QString());
    }

    void listsOnlyShortcuts()
    {
        FakeDesktop d;
        frmListFiles *w = open(d, nullptr);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Favorites Browse..."));
        QCOMPARE(w->dirPath(), QDir::cleanPath(m_favorites));
        QCOMPARE(texts(w->findChild<QListWidget *>(QStringLiteral("File1"))),
                 (QStringList{"Alpha.url", "Beta.URL", "Empty.url", "Evil.url"}));
        QCOMPARE(texts(w->findChild<QListWidget *>(QStringLiteral("Dir1"))), (QStringList{"..", "News"}));
        QVERIFY(d.ctx->windows.contains(w));
        w->close();
        flushDeletes(); // before the context it refers to goes away
    }

    void doubleClickNavigatesAndCloses_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("address");
        QTest::newRow("BASEURL") << QStringLiteral("Alpha.url") << QStringLiteral("https://a.test/");
        QTest::newRow("URL=") << QStringLiteral("Beta.URL") << QStringLiteral("https://b.test/page");
    }
    void doubleClickNavigatesAndCloses()
    {
        QFETCH(QString, file);
        QFETCH(QString, address);
        FakeDesktop d;
        FakeBrowser browser;
        QPointer<frmListFiles> w = open(d, &browser);
        QVERIFY(w);
        const int loaded = d.ctx->windows.count();
        doubleClick(w, file);
        QCOMPARE(browser.calls, QStringList{QStringLiteral("Navigate ") + address});
        QVERIFY(d.messages.shown.isEmpty());
        flushDeletes();
        QVERIFY(w.isNull());
        QCOMPARE(d.ctx->windows.count(), loaded - 1);
    }

    void refusesOrSkips_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const QString refused = QStringLiteral("This shortcut was not opened: its address is not a web page.");
        QTest::newRow("javascript") << "[InternetShortcut]\nURL=javascript:alert(1)\n" << refused << int(MsgIcon::Critical);
        QTest::newRow("spaced JavaScript") << "[DEFAULT]\nBASEURL=  JavaScript:alert(1)\n" << refused << int(MsgIcon::Critical);
        QTest::newRow("data") << "[InternetShortcut]\nURL=data:text/html,<b>x</b>\n" << refused << int(MsgIcon::Critical);
        QTest::newRow("vbscript") << "[InternetShortcut]\nURL=VBScript:msgbox\n" << refused << int(MsgIcon::Critical);
        QTest::newRow("no address") << "[InternetShortcut]\nIconIndex=0\n"
                                    << QStringLiteral("This shortcut holds no web address.") << int(MsgIcon::Information);
    }
    void refusesOrSkips()
    {
        QFETCH(QString, content);
        QFETCH(QString, message);
        QFETCH(int, icon);
        write(m_favorites + QStringLiteral("/Case.url"), content.toUtf8());
        FakeDesktop d;
        FakeBrowser browser;
        QPointer<frmListFiles> w = open(d, &browser);
        QVERIFY(w);
        auto *list = w->findChild<QListWidget *>(QStringLiteral("File1"));
        list->setCurrentItem(list->findItems(QStringLiteral("Case.url"), Qt::MatchExactly).value(0));
        QVERIFY(list->currentItem());
        QTest::keyClick(list, Qt::Key_Return);
        QFile::remove(m_favorites + QStringLiteral("/Case.url"));
        QCOMPARE(browser.count(QStringLiteral("Navigate")), 0);
        QCOMPARE(d.messages.texts(), QStringList{message});
        QCOMPARE(int(d.messages.shown[0].icon), icon);
        flushDeletes();
        QVERIFY(w.isNull());
    }

    void targetGoneIsReported()
    {
        FakeDesktop d;
        auto *browser = new FakeBrowser;
        QPointer<frmListFiles> w = open(d, browser);
        QVERIFY(w);
        delete browser;
        doubleClick(w, QStringLiteral("Alpha.url"));
        QCOMPARE(d.messages.texts(), QStringList{QStringLiteral("There is no browser window to open this shortcut in.")});
        flushDeletes();
        QVERIFY(w.isNull());
    }

    // The frame's Favorites command finding no page in front keeps the window's page.
    void frameKeepsTheTargetWhenNoPageIsInFront()
    {
        TestProgram p;
        p.start(Top8().slot(1, "http://a/", true, "A"));
        MDIForm1 *m = p.main();
        FakeBrowser *page = TestProgram::page(m->activeChild());
        Frame::item(m, "mnuFavorites")->trigger();
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m));
        m->mdiArea()->setActiveSubWindow(nullptr);
        QVERIFY(!m->activeChild());
        Frame::item(m, "mnuFavorites")->trigger();
        QPointer<frmListFiles> w = openFavorites(*p.d.ctx);
        QVERIFY(w && QTest::qWaitForWindowExposed(w));
        doubleClick(w, QStringLiteral("Beta.URL"));
        QCOMPARE(page->calls.last(), QStringLiteral("Navigate https://b.test/page"));
        QVERIFY(!p.d.messages.texts().contains(QStringLiteral("There is no browser window to open this shortcut in.")));
        flushDeletes();
    }

    void placementAndFixedHeight()
    {
        FakeDesktop d;
        frmListFiles *w = open(d, nullptr);
        QVERIFY(w);
        QCOMPARE(w->pos(), QPoint(102, 102));
        QCOMPARE(w->frameGeometry().height(), 400);
        w->resize(333, 250);
        QTRY_COMPARE(w->frameGeometry().height(), 400);
        QCOMPARE(w->width(), 333);
        w->close();
        flushDeletes();
    }

    void browsingAndBackToFavorites()
    {
        FakeDesktop d;
        frmListFiles *w = open(d, nullptr);
        QVERIFY(w);
        auto *dirs = w->findChild<QListWidget *>(QStringLiteral("Dir1"));
        auto *files = w->findChild<QListWidget *>(QStringLiteral("File1"));
        dirs->setCurrentRow(1);
        QTest::keyClick(dirs, Qt::Key_Return);
        QCOMPARE(w->dirPath(), QDir::cleanPath(m_favorites + QStringLiteral("/News")));
        QCOMPARE(texts(files), QStringList{QStringLiteral("Daily.url")});

        auto *drives = w->findChild<QComboBox *>(QStringLiteral("Drive1"));
        const int root = drives->findText(QStringLiteral("/"));
        QVERIFY(root >= 0);
        emit drives->activated(root);
        QCOMPARE(w->dirPath(), QStringLiteral("/"));
        QVERIFY(!texts(dirs).contains(QStringLiteral("..")));

        QTest::mouseClick(w->findChild<QToolButton *>(QStringLiteral("Image1")), Qt::LeftButton);
        QCOMPARE(w->dirPath(), QDir::cleanPath(m_favorites));
        QCOMPARE(files->count(), 4);

        // Opening again only brings the window forward: the folder stays.
        w->setDirPath(m_favorites + QStringLiteral("/News"));
        QCOMPARE(showFavoritesWindow(*d.ctx, nullptr), w);
        QCOMPARE(openFavorites(*d.ctx), w);
        QCOMPARE(w->dirPath(), QDir::cleanPath(m_favorites + QStringLiteral("/News")));
        w->close();
        flushDeletes();
    }

    void missingFavoritesShowsHome()
    {
        QTemporaryDir bare;
        qputenv("HOME", bare.path().toLocal8Bit());
        QCOMPARE(GetSpecialFolderPath(6), QString());
        FakeDesktop d;
        frmListFiles *w = open(d, nullptr);
        qputenv("HOME", m_home.path().toLocal8Bit());
        QVERIFY(w);
        QCOMPARE(w->dirPath(), QDir::cleanPath(bare.path()));
        w->close();
        flushDeletes();
    }

};

QTEST_MAIN(tst_Favorites)
#include "tst_favorites.moc"
