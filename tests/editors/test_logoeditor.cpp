// Flow tests of the logo editor: pictures chosen through the main window's
// picture chooser, the selection moved with the pointer on the picture view,
// logos opened and saved, with scripted answers.
#include "app/appstate.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "app/shellstubs.h"
#include "editors/logo/logoeditor.h"
#include "platform/fileops.h"
#include "support/framewindow.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "support/toolrun.h"
#include "ui/skinbutton.h"
#include "support/mainwidgets.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using namespace voxa;

Q_DECLARE_METATYPE(voxa::LogoRect)

class TestLogoEditor : public QObject, private test::FrameWindow {
    Q_OBJECT

    TLogoEditor *editor = nullptr;

    // A picture with a gradient and a dark square, saved on drive V.
    QString makePicture(const QString &name, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int v = (x * 255 / std::max(1, size.width() - 1) + y * 7) % 256;
                img.setPixel(x, y, qRgb(v, 255 - v, (x ^ y) & 0xFF));
            }
        for (int y = size.height() / 4; y < size.height() / 2; ++y)
            for (int x = size.width() / 4; x < size.width() / 2; ++x)
                img.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = root + QLatin1Char('/') + name;
        if (!img.save(path))
            return {};
        return path;
    }

    // The picture through the VOXA menu's "Logo Editor".
    void importPicture(const QString &path, int displayType = VoxaADisplay)
    {
        appState().DisplayType = quint8(displayType);
        prompts->expectFile(path);
        mainChild<QAction>(form, "LogoEditorItem")->trigger();
        QVERIFY(editor->isVisible());
        QVERIFY(editor->HasPictureView());
    }

    // The pointer over the view, no button: picks the hover mode.
    void hover(int x, int y) { editor->TheImageMouseMove({x, y}, Qt::NoButton); }
    void press(int x, int y)
    {
        hover(x, y);
        QTest::mousePress(editor->TheImage, Qt::LeftButton, {}, {x, y});
    }
    // Offscreen, a synthetic move does not carry the held button.
    void dragTo(int x, int y) { editor->TheImageMouseMove({x, y}, Qt::LeftButton); }
    void release(int x, int y) { QTest::mouseRelease(editor->TheImage, Qt::LeftButton, {}, {x, y}); }

    static QByteArray pngChunk(const char *type, const QByteArray &data)
    {
        QByteArray body = QByteArray(type, 4) + data;
        quint32 crc = 0xFFFFFFFFu;
        for (char c : body) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        QByteArray out(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), out.data());
        QByteArray tail(4, '\0');
        qToBigEndian<quint32>(~crc, tail.data());
        return out + body + tail;
    }
    static QByteArray hugePng()
    {
        QByteArray ihdr(13, '\0');
        qToBigEndian<quint32>(20000, ihdr.data());
        qToBigEndian<quint32>(20000, ihdr.data() + 4);
        ihdr[8] = 8;  // bits
        ihdr[9] = 2;  // RGB
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr)
            + pngChunk("IDAT", QByteArray::fromHex("789c030000000001")) + pngChunk("IEND", {});
    }

    static QByteArray readNative(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(setUpProgram()); }

    void init()
    {
        QVERIFY(prepare());
        RegisterLogoEditor();
        QVERIFY(showMainWindow());
        editor = qobject_cast<TLogoEditor *>(form->Frame(FrameKind::LogoEditor));
        QVERIFY(editor);
    }

    void cleanup() { tearDown(); }

    void pictureSetsViewAndScrollBars_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<int>("xRange");  // -1: the bar is disabled
        QTest::addColumn<int>("yRange");
        QTest::addColumn<bool>("blackFrame");
        QTest::newRow("100 x 40") << QSize(100, 40) << QSize(176, 64) << QPoint(38, 12) << QSize(176, 64) << -1
                                  << -1 << true;
        QTest::newRow("200 x 50") << QSize(200, 50) << QSize(200, 64) << QPoint(0, 7) << QSize(200, 64) << -1 << -1
                                  << true;
        QTest::newRow("800 x 600") << QSize(800, 600) << QSize(800, 600) << QPoint(0, 0) << QSize(615, 375) << 185
                                   << 225 << false;
        QTest::newRow("700 x 100") << QSize(700, 100) << QSize(700, 100) << QPoint(0, 0) << QSize(615, 100) << 85
                                   << -1 << false;
    }
    void pictureSetsViewAndScrollBars()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, canvas);
        QFETCH(QPoint, offset);
        QFETCH(QSize, view);
        QFETCH(int, xRange);
        QFETCH(int, yRange);
        QFETCH(bool, blackFrame);
        importPicture(makePicture(QStringLiteral("pic.bmp"), picture));
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Logo Editor: Untitled"));
        QCOMPARE(editor->Canvas().size(), canvas);
        QCOMPARE(editor->PictureOffset(), offset);
        QCOMPARE(editor->TheImage->size(), view);
        const std::pair<QScrollBar *, int> bars[] = {{editor->XScrollBar, xRange}, {editor->YScrollBar, yRange}};
        for (const auto &[bar, range] : bars) {
            QCOMPARE(bar->isEnabled(), range >= 0);
            QCOMPARE(bar->value(), 0);
            if (range >= 0)
                QCOMPARE(bar->maximum(), range);
        }
        if (xRange >= 0)
            QCOMPARE(editor->XScrollBar->pageStep(), 615);
        if (yRange >= 0)
            QCOMPARE(editor->YScrollBar->pageStep(), 375);
        QCOMPARE(editor->DarkBackCheck->isEnabled(), blackFrame);
        QVERIFY(!editor->DarkBackCheck->isChecked());
        // A new logo: the rectangle at the top left, threshold 128.
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 128, 56}));
        QVERIFY(editor->ThresholdBar->isEnabled());
        QCOMPARE(editor->ThresholdBar->value(), 128);
        QCOMPARE(editor->ThresholdValueLabel->text(), QStringLiteral("128"));
        QVERIFY(editor->VOXAACheck->isChecked());
        QVERIFY(!editor->VOXACCheck->isChecked());
        QVERIFY(editor->LogoPanel->isVisible());
        QVERIFY(!editor->BigLogoPanel->isVisible());
        QVERIFY(editor->Modified());
    }

    void blackFrameLightsTheSurround()
    {
        importPicture(makePicture(QStringLiteral("small.bmp"), {100, 40}), VaDaDisplay);
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 176, 64}));
        QVERIFY(editor->VOXACCheck->isChecked());
        QCOMPARE(editor->Canvas().pixel(0, 0), qRgb(255, 255, 255));
        const int litWhite = editor->PreviewLogo(VaDaDisplay).litCount();
        editor->DarkBackCheck->click();
        QCOMPARE(editor->Canvas().pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(editor->TheImage->picture.pixel(0, 0), qRgb(0, 0, 0));
        // The frame (176 x 64 minus 100 x 40) goes dark; the picture stays.
        QCOMPARE(litWhite - editor->PreviewLogo(VaDaDisplay).litCount(), 176 * 64 - 100 * 40);
        editor->InvertCheck->click();
        QCOMPARE(editor->PreviewLogo(VaDaDisplay).litCount(), 176 * 64 - (litWhite - (176 * 64 - 100 * 40)));
    }

    void hoverModesAndPointerShapes_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("shape");
        // The rectangle 0..128 x 0..56 on an 800 x 600 picture.
        using H = TLogoEditor::Hover;
        QTest::newRow("inside") << QPoint(60, 20) << int(H::Move) << int(Qt::SizeAllCursor);
        QTest::newRow("left edge") << QPoint(1, 20) << int(H::LeftEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("right edge") << QPoint(126, 20) << int(H::RightEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("right edge, last") << QPoint(128, 20) << int(H::RightEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("top edge") << QPoint(60, 0) << int(H::TopEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("bottom edge") << QPoint(60, 55) << int(H::BottomEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("beside") << QPoint(300, 20) << int(H::None) << int(Qt::ArrowCursor);
        QTest::newRow("below") << QPoint(60, 200) << int(H::None) << int(Qt::ArrowCursor);
    }
    void hoverModesAndPointerShapes()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, mode);
        QFETCH(int, shape);
        importPicture(makePicture(QStringLiteral("big.bmp"), {800, 600}));
        hover(pos.x(), pos.y());
        QCOMPARE(int(editor->HoverMode()), mode);
        QCOMPARE(int(editor->PointerShape()), shape);
        // Beyond both spans the mode stays as it was.
        hover(400, 400);
        QCOMPARE(int(editor->HoverMode()), mode);
    }

    void leftEdgeStopsTwoPixelsBeforeTheRight()
    {
        importPicture(makePicture(QStringLiteral("big.bmp"), {800, 600}));
        editor->FixedCheck->click();
        QVERIFY(!editor->FixedCheck->isChecked());
        press(0, 20);
        QCOMPARE(editor->HoverMode(), TLogoEditor::Hover::LeftEdge);
        dragTo(50, 20);
        QCOMPARE(editor->Selection(), (LogoRect{50, 0, 128, 56}));
        dragTo(300, 20);
        QCOMPARE(editor->Selection(), (LogoRect{126, 0, 128, 56}));
        dragTo(-40, 20);
        QCOMPARE(editor->Selection().left, 0);
        release(-40, 20);
        QCOMPARE(editor->PointerShape(), Qt::ArrowCursor);  // released outside the view
        QCOMPARE(editor->XLabel->text(), QStringLiteral("0"));
        QCOMPARE(editor->XSLabel->text(), QStringLiteral("128"));
    }

    void keepAspectRatioFollowsTheEdges_data()
    {
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<LogoRect>("expected");
        QTest::newRow("widen to 256") << QPoint(127, 20) << QPoint(256, 20) << LogoRect{0, 0, 256, 112};
        QTest::newRow("lower to 112") << QPoint(60, 55) << QPoint(60, 112) << LogoRect{0, 0, 256, 112};
        // Far past the bottom: the height stops at the extent (600).
        QTest::newRow("lower past the end") << QPoint(60, 55) << QPoint(60, 2000) << LogoRect{0, 0, 1371, 600};
        // Two columns would make no row: one row stays.
        QTest::newRow("narrow to the least") << QPoint(127, 20) << QPoint(-5, 20) << LogoRect{0, 0, 2, 1};
        QTest::newRow("narrow to 64") << QPoint(127, 20) << QPoint(64, 20) << LogoRect{0, 0, 64, 28};
    }
    void keepAspectRatioFollowsTheEdges()
    {
        QFETCH(QPoint, grab);
        QFETCH(QPoint, to);
        QFETCH(LogoRect, expected);
        importPicture(makePicture(QStringLiteral("big.bmp"), {800, 600}));
        QVERIFY(editor->FixedCheck->isChecked());
        press(grab.x(), grab.y());
        dragTo(to.x(), to.y());
        release(to.x(), to.y());
        if (expected.right > 800) {
            // Right against the extent: the width follows from the height.
            QCOMPARE(editor->Selection().right, 800);
            QCOMPARE(editor->Selection().bottom, 350);
            return;
        }
        QCOMPARE(editor->Selection(), expected);
    }

    // Keep Aspect Ratio over a selection two pixels wide keeps a row; the saved companion opens again.
    void keepAspectRatioOnANarrowSelectionKeepsARow_data()
    {
        QTest::addColumn<int>("displayType");
        QTest::newRow("VOXA-A") << VoxaADisplay;
        QTest::newRow("VA-DA") << VaDaDisplay;
    }
    void keepAspectRatioOnANarrowSelectionKeepsARow()
    {
        QFETCH(int, displayType);
        importPicture(makePicture(QStringLiteral("narrow.bmp"), {800, 600}), displayType);
        editor->FixedCheck->click();  // off
        press(LogoWidth(displayType) - 1, 20);
        dragTo(-5, 20);
        release(-5, 20);
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 2, LogoHeight(displayType)}));
        editor->FixedCheck->click();  // on
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 2, 1}));
        const QString file = QStringLiteral("V:\\voxa\\config\\narrow.lce");
        editor->setFileName(file);
        QVERIFY(editor->SaveDocument() && editor->CloseEditor(false));
        editor->setFileName(file);
        QVERIFY(editor->Load() && editor->HasPictureView());
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 2, 1}));
    }

    void movingStopsAtTheCanvasAndScrolls()
    {
        importPicture(makePicture(QStringLiteral("big.bmp"), {800, 600}));
        press(60, 20);
        QCOMPARE(editor->HoverMode(), TLogoEditor::Hover::Move);
        dragTo(160, 120);
        QCOMPARE(editor->Selection(), (LogoRect{100, 100, 228, 156}));
        // Far past the right and bottom: against the sides, and the pointer
        // slides along the rectangle when it comes back.
        dragTo(2000, 2000);
        QCOMPARE(editor->Selection(), (LogoRect{672, 544, 800, 600}));
        dragTo(1990, 2000);
        QCOMPARE(editor->Selection().left, 662);
        release(1990, 2000);
        // Scrolled, the view shows the canvas at the scroll position and the
        // rectangle moves with it.
        editor->XScrollBar->setValue(185);
        editor->YScrollBar->setValue(225);
        QCOMPARE(editor->TheImage->picture.pixel(0, 0), editor->Canvas().pixel(185, 225));
        QCOMPARE(editor->TheImage->selection.topLeft(), QPoint(662 - 185, 544 - 225));
    }

    void vaDaMovesBackInside()
    {
        importPicture(makePicture(QStringLiteral("big.bmp"), {800, 600}));
        editor->FixedCheck->click();
        press(60, 20);
        dragTo(2000, 20);  // against the right side: 672..800
        release(2000, 20);
        editor->XScrollBar->setValue(185);
        // The left edge, now at 672 - 185 in the view, to 700.
        press(672 - 185, 20);
        QCOMPARE(editor->HoverMode(), TLogoEditor::Hover::LeftEdge);
        dragTo(700 - 185, 20);
        release(700 - 185, 20);
        QCOMPARE(editor->Selection(), (LogoRect{700, 0, 800, 56}));
        editor->VOXACCheck->click();
        QVERIFY(!editor->VOXAACheck->isChecked());
        QCOMPARE(editor->Selection(), (LogoRect{624, 0, 800, 64}));
        QVERIFY(editor->BigLogoPanel->isVisible());
        QVERIFY(!editor->LogoPanel->isVisible());
        QCOMPARE(editor->XSLabel->text(), QStringLiteral("176"));
        // Back to VOXA-A keeps the top-left corner.
        editor->VOXAACheck->click();
        QCOMPARE(editor->Selection(), (LogoRect{624, 0, 752, 56}));
        // Clicking the box in force leaves it on.
        editor->VOXAACheck->click();
        QVERIFY(editor->VOXAACheck->isChecked());
    }

    void savedLogoMatchesTheToolAndReopens()
    {
        const QString picture = makePicture(QStringLiteral("photo.bmp"), {400, 300});
        importPicture(picture);
        press(60, 20);
        dragTo(90, 50);  // 30, 30 .. 158, 86
        release(90, 50);
        editor->ThresholdBar->setValue(140);
        QCOMPARE(editor->ThresholdValueLabel->text(), QStringLiteral("140"));
        const QString logoPath = QStringLiteral("V:\\voxa\\config\\mine.lce");
        editor->setFileName(logoPath);
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!editor->Modified());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Logo Editor: mine"));

        const QString toolOut = root + QStringLiteral("/tool.lce");
        const test::Run r = test::run({QStringLiteral("logo"), picture, toolOut, QStringLiteral("--type"),
                                       QStringLiteral("voxa-a"), QStringLiteral("--crop"),
                                       QStringLiteral("30,30,158,86"), QStringLiteral("--threshold"),
                                       QStringLiteral("140")});
        QCOMPARE(r.status, 0);
        const QByteArray saved = test::TestDriveTable::readFile(logoPath);
        QCOMPARE(saved.size(), 1042);
        QCOMPARE(saved, readNative(toolOut));
        QCOMPARE(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\config\\mine.lcx")),
                 readNative(root + QStringLiteral("/tool.lcx")));
        QVERIFY(QDir(root + QStringLiteral("/voxa/config")).entryList({QStringLiteral("*.tmp*")}, QDir::Files).isEmpty());

        // Reopened with its companion: the picture, the rectangle and the
        // threshold are back, "Keep Aspect Ratio" is off.
        QVERIFY(editor->CloseEditor(false));
        editor->setFileName(logoPath);
        QVERIFY(editor->Load());
        form->ShowFrame(editor);
        QVERIFY(editor->HasPictureView());
        QCOMPARE(editor->Selection(), (LogoRect{30, 30, 158, 86}));
        QCOMPARE(editor->ThresholdBar->value(), 140);
        QVERIFY(!editor->FixedCheck->isChecked());
        QVERIFY(editor->ThresholdBar->isEnabled());
        QVERIFY(!editor->Modified());
        QCOMPARE(logoFileBytes(editor->PreviewLogo(VoxaADisplay)), saved);
        QVERIFY(editor->CloseEditor(false));  // nothing to ask
    }

    void deadCompanionIsDeletedAndTheTypeIsFixed()
    {
        LogoBitmap logo(VoxaADisplay);
        for (int x = 0; x < 128; x += 2)
            logo.setPixel(x, 10, true);
        const QString logoPath = QStringLiteral("V:\\voxa\\config\\old.lce");
        QVERIFY(SaveLogoFile(logoPath, logo).ok());
        QVERIFY(SaveLogoCompanion(logoPath, {{0, 0, 128, 56}, 100, QStringLiteral("V:\\gone.bmp")}).ok());
        const QString companion = QStringLiteral("V:\\voxa\\config\\old.lcx");
        QVERIFY(fs::exists(companion));
        editor->setFileName(logoPath);
        QVERIFY(editor->Load());  // no message
        form->ShowFrame(editor);
        QVERIFY(!fs::exists(companion));
        QVERIFY(!editor->HasPictureView());
        QVERIFY(!editor->TheImage->isVisible());
        QVERIFY(editor->SourcePath().isEmpty());
        QVERIFY(!editor->ThresholdBar->isEnabled());
        QVERIFY(!editor->FixedCheck->isEnabled());
        QVERIFY(!editor->DarkBackCheck->isEnabled());
        QVERIFY(editor->LogoPanel->isVisible());
        QVERIFY(!editor->SourcePanel->isVisible());
        QCOMPARE(editor->PreviewLogo(VoxaADisplay), logo);
        // "VA-DA" cannot be chosen for a logo without its picture.
        editor->VOXACCheck->click();
        QVERIFY(editor->VOXAACheck->isChecked());
        QVERIFY(!editor->VOXACCheck->isChecked());
        QVERIFY(!editor->BigLogoPanel->isVisible());
        // Only "Invert" changes it; saving keeps no companion.
        editor->InvertCheck->click();
        QCOMPARE(editor->PreviewLogo(VoxaADisplay).litCount(), 128 * 56 - 64);
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!editor->Modified());
        QVERIFY(!fs::exists(companion));
        const auto reread = LoadLogoFile(logoPath);
        QVERIFY(reread.ok());
        QCOMPARE(reread->litCount(), 128 * 56 - 64);
    }

    void vaDaLogoWithoutCompanion()
    {
        LogoBitmap logo(VaDaDisplay);
        logo.setPixel(175, 63, true);
        const QString logoPath = QStringLiteral("V:\\voxa\\config\\wide.lce");
        QVERIFY(SaveLogoFile(logoPath, logo).ok());
        editor->setFileName(logoPath);
        QVERIFY(editor->Load());
        form->ShowFrame(editor);
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Logo Editor: wide"));
        QVERIFY(editor->VOXACCheck->isChecked());
        QVERIFY(editor->BigLogoPanel->isVisible());
        QCOMPARE(editor->PreviewLogo(VaDaDisplay), logo);
        QVERIFY(!editor->Modified());
        // "New Image" turns it into a new, untitled logo.
        const QString picture = makePicture(QStringLiteral("new.bmp"), {300, 200});
        prompts->expectFile(picture);
        editor->OpenButton->Click();
        QCOMPARE(prompts->records().last().request.filters.join(QString()), QStringLiteral("Pictures (*.bmp *.jpg *.jpeg)"));
        QVERIFY(editor->FileName().isEmpty());
        QCOMPARE(mainChild<QLabel>(form, "FileNameLabel")->text(), QStringLiteral("Logo Editor: Untitled"));
        QVERIFY(editor->HasPictureView());
        // The type comes from the setting again (VOXA-A), not from the file.
        QVERIFY(editor->VOXAACheck->isChecked());
        QVERIFY(!editor->VOXACCheck->isChecked());
        QCOMPARE(editor->Selection(), (LogoRect{0, 0, 128, 56}));
        QCOMPARE(editor->ThresholdBar->value(), 128);
        QVERIFY(editor->Modified());
    }

    void unusablePicturesAreRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << 0 << QStringLiteral("Cannot open the file!");
        QTest::newRow("garbage") << 1 << QStringLiteral("Wrong file format");
        QTest::newRow("pipe") << 2 << QStringLiteral("Cannot open the file!");
        QTest::newRow("too large") << 3 << QStringLiteral("The picture is too large");
    }
    void unusablePicturesAreRefused()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        const QString path = root + QStringLiteral("/bad.bmp");
        if (kind == 1) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture at all");
        } else if (kind == 2) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == 3) {
            // A PNG whose header claims 20000 x 20000 pixels.
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(hugePng());
        }
        appState().DisplayType = 1;
        prompts->expectFile(path).expectMessage(message);
        mainChild<QAction>(form, "LogoEditorItem")->trigger();
        QVERIFY(!editor->isVisible());
        QVERIFY(form->StartPanel->isVisible());

        // Over a loaded picture, a failing "New Image" changes nothing.
        importPicture(makePicture(QStringLiteral("ok.bmp"), {300, 200}));
        const QString source = editor->SourcePath();
        press(60, 20);
        dragTo(70, 30);
        release(70, 30);
        prompts->expectFile(path).expectMessage(message);
        editor->OpenButton->Click();
        QCOMPARE(editor->SourcePath(), source);
        QCOMPARE(editor->Selection(), (LogoRect{10, 10, 138, 66}));
        QVERIFY(editor->ThresholdBar->isEnabled());
    }
};

QTEST_MAIN(TestLogoEditor)
#include "test_logoeditor.moc"
