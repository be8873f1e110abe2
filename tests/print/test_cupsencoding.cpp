// Magnetic stripes through real CUPS drivers on a private CUPS server
// (scripts/cups-test-server): a queue on Gutenprint's Magicard Tango 2E
// driver whose printer is a file, and queues whose minimal PPDs name the
// Magicard, Evolis and Fargo filters, replaced by a script that records the
// job options the server hands it.
#include "SampleCard.h"
#include "devices/print/CupsPrintDevice.h"
#include "devices/print/PrinterRegistry.h"
#include "devices/print/QueueEncoding.h"
#include "lang/LanguageTable.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"
#include "print/PrinterProfiles.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace vellora;

namespace {

// A PPD with what CUPS needs and the filter and options given.
QByteArray minimalPpd(const QString &model, const QString &filter, const QByteArray &options)
{
    return "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n*PCFileName: \"CARD.PPD\"\n*Manufacturer: \"Test\"\n"
           "*Product: \"(" + model.toLatin1() + ")\"\n*ModelName: \"" + model.toLatin1() +
           "\"\n*ShortNickName: \"" + model.toLatin1() + "\"\n*NickName: \"" + model.toLatin1() +
           "\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: True\n*DefaultColorSpace: RGB\n"
           "*cupsVersion: 1.2\n*cupsFilter: \"application/vnd.cups-raster 0 " + filter.toLatin1() + "\"\n"
           "*OpenUI *PageSize/Media Size: PickOne\n*DefaultPageSize: CR80\n"
           "*PageSize CR80/CR80: \"<</PageSize[153 243]/ImagingBBox null>>setpagedevice\"\n*CloseUI: *PageSize\n"
           "*OpenUI *PageRegion/Media Size: PickOne\n*DefaultPageRegion: CR80\n"
           "*PageRegion CR80/CR80: \"<</PageSize[153 243]/ImagingBBox null>>setpagedevice\"\n*CloseUI: *PageRegion\n"
           "*DefaultImageableArea: CR80\n*ImageableArea CR80/CR80: \"0 0 153 243\"\n"
           "*DefaultPaperDimension: CR80\n*PaperDimension CR80/CR80: \"153 243\"\n"
           "*OpenUI *Resolution/Resolution: PickOne\n*DefaultResolution: 300dpi\n"
           "*Resolution 300dpi/300 DPI: \"<</HWResolution[300 300]>>setpagedevice\"\n*CloseUI: *Resolution\n" +
           options;
}

// The options of a filter's option argument, as the server escapes them
// (a backslash before blanks, quotes and backslashes).
QHash<QString, QString> parseOptionString(const QString &text)
{
    QHash<QString, QString> options;
    QString name, value, *target = &name;
    auto flush = [&] {
        if (!name.isEmpty())
            options.insert(name, value);
        name.clear();
        value.clear();
        target = &name;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            *target += text[++i];
        } else if (c == u' ') {
            flush();
        } else if (c == u'=' && target == &name) {
            target = &value;
        } else {
            *target += c;
        }
    }
    flush();
    return options;
}

}  // namespace

class TestCupsEncoding : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_script;
    QString m_serverDir;
    QString m_recordDir;
    QString m_outDir;
    bool m_started = false;

    static QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(120000);
        if (exitCode)
            *exitCode = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    }

    // A queue whose filter is the recording script under the real filter's name.
    void addRecordingQueue(const QString &queue, const QString &filterName, const QByteArray &options)
    {
        const QString filters = m_dir.filePath("filters");
        QDir().mkpath(filters);
        QFile::setPermissions(filters, QFile::permissions(m_dir.path()));
        const QString filter = QDir(filters).filePath(filterName);
        if (!QFile::exists(filter)) {
            QFile f(filter);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n"
                    "# Records the job options the server hands the driver.\n"
                    "printf '%s\\n' \"$5\" > \"" + m_recordDir.toUtf8() + "/$PRINTER-$1.options\"\n"
                    "cat ${6:+\"$6\"} > /dev/null\n");
            f.close();
            QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        }
        const QString ppd = m_dir.filePath(queue + ".ppd");
        QFile p(ppd);
        QVERIFY(p.open(QIODevice::WriteOnly));
        p.write(minimalPpd(queue + " test printer", filter, options));
        p.close();
        int code = 0;
        const QString out = run("lpadmin", {"-p", queue, "-E", "-v", "file:///dev/null", "-P", ppd}, &code);
        QVERIFY2(code == 0, qPrintable(out));
    }

    // The options recorded for the queue's job, waiting for the filter.
    QString recordedOptions(const QString &queue, int jobId, int timeoutMs = 90000)
    {
        const QString path = QDir(m_recordDir).filePath(QStringLiteral("%1-%2.options").arg(queue).arg(jobId));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) {
                const QByteArray text = f.readAll();
                if (text.endsWith('\n'))
                    return QString::fromUtf8(text.chopped(1));
            }
            QTest::qWait(200);
        }
        return {};
    }

    PrintJobRequest request(const QString &track1, const QString &track2, const QString &track3 = {}) const
    {
        PrintJobRequest r;
        r.batchMode = true;
        r.front = sample::front();
        r.back = sample::back();
        r.documentTitle = "vellora-stripe";
        r.frontBackground = sample::writeBackground(m_dir.path(), true);
        r.backBackground = sample::writeBackground(m_dir.path(), false);
        r.settings.stripeOn = true;
        r.settings.tracks[0] = {!track1.isNull(), TrackStaticText, track1};
        r.settings.tracks[1] = {!track2.isNull(), TrackStaticText, track2};
        r.settings.tracks[2] = {!track3.isNull(), TrackStaticText, track3};
        return r;
    }

    int printOn(const QString &queue, const PrintJobRequest &r)
    {
        if (!SelectPrinter(queue))
            return -1;
        const PrintJobResult result = RunPrintJob(r);
        if (result.outcome != PrintJobOutcome::Printed)
            return -2;
        return lastJobId();
    }

    static int lastJobId()
    {
        auto *cups = dynamic_cast<CupsPrintDevice *>(&CurrentPrinter());
        return cups ? cups->lastJobId() : 0;
    }

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("the private CUPS server needs root (cupsd's backends and a mount namespace)");
        const QString source = qEnvironmentVariable("VELLORA_SOURCE_DIR");
        m_script = QDir(source.isEmpty() ? QStringLiteral(".") : source).filePath("scripts/cups-test-server");
        if (!QFile::exists(m_script))
            QSKIP("scripts/cups-test-server not found (VELLORA_SOURCE_DIR unset)");
        if (!QFile::exists("/usr/lib/cups/filter/rastertogutenprint.5.3"))
            QSKIP("printer-driver-gutenprint not installed");
        QVERIFY(m_dir.isValid());
        m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("VELLORA_KEEP_CUPS_DIR"));
        // Filters run as lp; the filter scripts must belong to root and be
        // writable by no one else, as must their folders.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        m_serverDir = m_dir.filePath("cups");
        QProcess start;
        start.start("sh", {m_script, "start", m_serverDir});
        QVERIFY(start.waitForFinished(120000));
        if (start.exitCode() == 3)
            QSKIP(qPrintable("CUPS test server unavailable: " + QString::fromUtf8(start.readAllStandardError())));
        QVERIFY2(start.exitCode() == 0, start.readAllStandardError().constData());
        m_started = true;
        for (const QString &line : QString::fromUtf8(start.readAllStandardOutput()).split('\n'))
            if (line.startsWith("CUPS_SERVER="))
                qputenv("CUPS_SERVER", line.mid(12).toUtf8());
        // Folders the filters (user lp) write into.
        for (QString *d : {&m_recordDir, &m_outDir}) {
            *d = m_dir.filePath(d == &m_recordDir ? "record" : "out");
            QVERIFY(QDir().mkpath(*d));
            QVERIFY(QProcess::execute("chmod", {"1777", *d}) == 0);
        }
        int code = 0;
        QString out = run("lpadmin", {"-p", "TangoTest", "-E", "-v", "file://" + m_outDir + "/tango.prn", "-m",
                                      "gutenprint.5.3://magicard-tango-2e/expert"},
                          &code);
        QVERIFY2(code == 0, qPrintable(out));
        addRecordingQueue("UltraTest", "rastertoultra", {});
        addRecordingQueue("EvolisTest", "evorasterizer",
                          "*OpenUI *GMagCoercivity/Coercivity: PickOne\n*DefaultGMagCoercivity: LOCO\n"
                          "*GMagCoercivity LOCO/Low: \"\"\n*GMagCoercivity HICO/High: \"\"\n*CloseUI: *GMagCoercivity\n");
        addRecordingQueue("FargoTest", "rastertofargo",
                          "*OpenUI *Coercivity/Coercivity: PickOne\n*DefaultCoercivity: HiCo\n"
                          "*Coercivity HiCo/High: \"\"\n*Coercivity LoCo/Low: \"\"\n*CloseUI: *Coercivity\n");
        addRecordingQueue("UnknownCardTest", "rastertocardx", {});
        SetEncodingOverrideFile(m_dir.filePath("printers.cfg"));
        CurrentLanguage().append("Literals61=This printer is not a supported card printer.");
    }

    void cleanupTestCase()
    {
        if (m_started)
            QProcess::execute("sh", {m_script, "stop", m_serverDir});
    }

    void eachQueueGetsItsProfile()
    {
        const QHash<QString, QString> expected{{"TangoTest", "gutenprint"}, {"UltraTest", "magicard"},
                                               {"EvolisTest", "evolis"},    {"FargoTest", "fargo"},
                                               {"UnknownCardTest", ""},     {"VelloraPlainTest", ""},
                                               {"VelloraCardTest", "escape-text"}};
        QStringList seen;
        for (const PrinterEntry &p : AvailablePrinters()) {
            if (!expected.contains(p.name))
                continue;
            const ListedPrinterEncoding listed = ListedPrinterProfile(p);
            QCOMPARE(listed.profile ? listed.profile->key : QString(), expected.value(p.name));
            QVERIFY(!listed.encoding.chosen);
            seen << p.name;
        }
        QCOMPARE(seen.size(), expected.size());
        const PrinterEncoding gone = ResolveQueueEncoding("NoSuchQueue");
        QVERIFY(!gone.profile);
        QVERIFY(gone.error.contains("NoSuchQueue"));
    }

    void gutenprintWritesTheStripeIntoThePrintersStream()
    {
        const int job = printOn("TangoTest", request("LINDQVIST^MARIA", "0017=2612"));
        QVERIFY2(job > 0, "the job was not handed to the queue");

        // The Magicard command stream the real filter wrote into the printer file.
        const QString file = QDir(m_outDir).filePath("tango.prn");
        QByteArray stream;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 120000 && !stream.contains(",PCT")) {
            QTest::qWait(500);
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                stream = f.read(4096);
        }
        QVERIFY2(stream.contains(",MAG1,BPI210,MPC7,"), stream.left(400).constData());
        QVERIFY2(stream.contains(",%LINDQVIST^MARIA?,"), stream.left(400).constData());
        QVERIFY2(stream.contains(",MAG2,BPI75,MPC5,"), stream.left(400).constData());
        QVERIFY2(stream.contains(",;0017=2612?,"), stream.left(400).constData());
        QVERIFY(!stream.contains("MAG3"));

        // The page the driver was given carries the card and no escape text.
        const QString document = QDir(m_serverDir).filePath(QStringLiteral("spool/d%1-001").arg(job, 5, 10, QChar('0')));
        QVERIFY2(QFile::exists(document), qPrintable(document));
        int code = 0;
        const QString text = run("pdftotext", {document, "-"}, &code);
        QCOMPARE(code, 0);
        QVERIFY2(!text.contains("MPC") && !text.contains("~1"), qPrintable(text));
        const QString prefix = m_dir.filePath("tango-page");
        QCOMPARE(QProcess::execute("pdftoppm", {"-q", "-r", "100", "-png", "-singlefile", document, prefix}), 0);
        const QImage page(prefix + ".png");
        QVERIFY(!page.isNull());
        int dark = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 200 && x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 40;
        QCOMPARE(dark, 0);
    }

    void optionProfilesHandOverExactlyTheirOptions_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("coercivity");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("magicard") << "UltraTest" << ""
                                  << QStringList{"TRACK1=~1,MPC7,BPI210,%LINDQVIST^MARIA?",
                                                 "TRACK2=~2,MPC5,BPI75,;0017=2612?", "TRACK3=~3,MPC5,BPI210,;123?"};
        QTest::newRow("evolis") << "EvolisTest" << "high"
                                << QStringList{"Track1Data=LINDQVIST^MARIA", "GMagT1Encoding=ISO1",
                                               "Track2Data=0017=2612", "GMagT2Encoding=ISO2", "Track3Data=123",
                                               "GMagT3Encoding=ISO3", "GMagCoercivity=HICO"};
        QTest::newRow("fargo") << "FargoTest" << "low"
                               << QStringList{"MagTrack1=%25LINDQVIST%5EMARIA%3F", "MagTrack2=%3B0017%3D2612%3F",
                                              "MagTrack3=%3B123%3F", "Coercivity=LoCo"};
    }
    void optionProfilesHandOverExactlyTheirOptions()
    {
        QFETCH(QString, queue);
        QFETCH(QString, coercivity);
        QFETCH(QStringList, expected);
        StoreEncodingOverride(queue, coercivity.isEmpty() ? std::nullopt
                                                          : std::optional<EncodingOverride>({"auto", CoercivityFromKey(coercivity)}));
        // Small letters and the bar the entry rule admits: the bar goes, the
        // letters become capitals.
        const int job = printOn(queue, request("Lindqvist^Maria", "0017|=2612", "123"));
        QVERIFY2(job > 0, "the job was not handed to the queue");
        const QString raw = recordedOptions(queue, job);
        QVERIFY2(!raw.isEmpty(), "the driver was not run");
        const QHash<QString, QString> options = parseOptionString(raw);
        for (const QString &e : expected) {
            const QString name = e.section('=', 0, 0), value = e.section('=', 1);
            QVERIFY2(options.contains(name), qPrintable(name + " missing in: " + raw));
            QCOMPARE(options.value(name), value);
            // The Magicard filter reads a value up to the next blank.
            QVERIFY2(raw.contains(e + ' '), qPrintable(raw));
        }
        for (const QString other : {"TRACK1", "StpMagStripe1", "Track1Data", "MagTrack1", "GMagCoercivity", "Coercivity"})
            if (!expected.join(' ').contains(other + '='))
                QVERIFY2(!options.contains(other), qPrintable(other + " sent to " + queue));
    }

    void tracksTheDriverCannotTakeStopTheJob_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("track1");
        QTest::addColumn<QString>("track3");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank in track 1, magicard") << "UltraTest" << "MARIA LINDQVIST" << QString()
                                                    << "Track 1 cannot be encoded on the printer \"UltraTest\": it holds a blank";
        QTest::newRow("track 3, gutenprint") << "TangoTest" << "A" << "123"
                                             << "Track 3 cannot be encoded on the printer \"TangoTest\"";
        QTest::newRow("77 characters, evolis") << "EvolisTest" << QString(77, 'A') << QString()
                                               << "Track 1 cannot be encoded on the printer \"EvolisTest\": it holds 77 characters";
    }
    void tracksTheDriverCannotTakeStopTheJob()
    {
        QFETCH(QString, queue);
        QFETCH(QString, track1);
        QFETCH(QString, track3);
        QFETCH(QString, message);
        QVERIFY(SelectPrinter(queue));
        const int before = lastJobId();
        for (bool batch : {true, false}) {
            test::ScriptedDialogs dialogs;
            dialogs.answerText(queue);
            PrintJobRequest r = request(track1, "1", track3);
            r.batchMode = batch;
            try {
                RunPrintJob(r);
                QFAIL("the job went on");
            } catch (const PrintError &e) {
                QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
            }
            QVERIFY(!CurrentPrinter().documentOpen());
            QCOMPARE(lastJobId(), before);
        }
    }

    void unknownQueueIsRefusedUntilTheOperatorChoosesAProfile()
    {
        QVERIFY(SelectPrinter("UnknownCardTest"));
        {
            test::ScriptedDialogs dialogs;
            dialogs.answerText("UnknownCardTest");
            test::ScriptedMessages messages({MrOk});
            PrintJobRequest r = request("A", "1");
            r.batchMode = false;
            QCOMPARE(int(RunPrintJob(r).outcome), int(PrintJobOutcome::UnsupportedPrinter));
            QCOMPARE(messages.shown().size(), 1);
            QCOMPARE(messages.shown()[0].text, Literal(61));
        }
        StoreEncodingOverride("UnknownCardTest", EncodingOverride{"evolis", Coercivity::Default});
        QVERIFY(ListedPrinterProfile({"UnknownCardTest", {}, false}).encoding.chosen);
        const int job = printOn("UnknownCardTest", request("A", "1"));
        QVERIFY(job > 0);
        const QHash<QString, QString> options = parseOptionString(recordedOptions("UnknownCardTest", job));
        QCOMPARE(options.value("Track1Data"), QString("A"));
        QCOMPARE(options.value("Track2Data"), QString("1"));
        QVERIFY(!options.contains("GMagCoercivity"));
        StoreEncodingOverride("UnknownCardTest", std::nullopt);
    }

    void printerSetupKeepsTheOperatorsChoicePerQueue()
    {
        // Answers the real dialog once it is up: picks the queue, sets the
        // profile and the coercivity, and presses OK.
        auto answer = [](const QString &queue, const QString &profile, const QString &coercivity,
                         QStringList *seen) {
            QTimer::singleShot(0, [=] {
                QDialog *dialog = nullptr;
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->objectName() == "PrinterSetupDialog1" && w->isVisible())
                        dialog = qobject_cast<QDialog *>(w);
                if (!dialog)
                    return;
                auto *list = dialog->findChild<QListWidget *>("PrinterList");
                auto *group = dialog->findChild<QGroupBox *>("StripeGroup");
                auto *profiles = dialog->findChild<QComboBox *>("EncodingProfile");
                auto *coercivities = dialog->findChild<QComboBox *>("Coercivity");
                if (!list || !group || !profiles || !coercivities) {
                    dialog->reject();
                    return;
                }
                for (int i = 0; i < list->count(); ++i) {
                    list->setCurrentRow(i);
                    const QString name = list->item(i)->data(Qt::UserRole).toString();
                    *seen << name + (group->isEnabled() ? " enabled: " : " disabled: ") + list->item(i)->text();
                }
                for (int i = 0; i < list->count(); ++i)
                    if (list->item(i)->data(Qt::UserRole).toString() == queue)
                        list->setCurrentRow(i);
                profiles->setCurrentIndex(profiles->findData(profile));
                *seen << "coercivity " + QString(coercivities->isEnabled() ? "enabled" : "disabled");
                coercivities->setCurrentIndex(coercivities->findData(coercivity));
                *seen << "names " + profiles->accessibleName() + "|" + coercivities->accessibleName();
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            });
        };
        QStringList seen;
        answer("UnknownCardTest", "fargo", "high", &seen);
        QVERIFY(ShowPrinterSetupDialog(nullptr));
        QCOMPARE(CurrentPrinterName(), QString("UnknownCardTest"));
        QCOMPARE(EncodingOverrideFor("UnknownCardTest"), std::optional<EncodingOverride>({"fargo", Coercivity::High}));
        QVERIFY2(seen.filter(QRegularExpression("^Vellora Virtual Card Printer disabled: .*\\[escape text\\]")).size() == 1,
                 qPrintable(seen.join('\n')));
        for (const char *row : {"TangoTest enabled: TangoTest [Gutenprint card printer] \u2014 TangoTest",
                                "UltraTest enabled: UltraTest [Magicard (rastertoultra)] \u2014 UltraTest",
                                "EvolisTest enabled: EvolisTest [Evolis] \u2014 EvolisTest",
                                "FargoTest enabled: FargoTest [HID Fargo] \u2014 FargoTest",
                                "VelloraCardTest enabled: VelloraCardTest [escape text] \u2014 Card printer test queue"})
            QVERIFY2(seen.contains(QString::fromUtf8(row)), row);
        QVERIFY2(seen.contains("UnknownCardTest enabled: UnknownCardTest [no stripe encoding] \u2014 UnknownCardTest"),
                 qPrintable(seen.join('\n')));
        QVERIFY2(seen.contains("coercivity enabled"), qPrintable(seen.join('\n')));
        QVERIFY2(seen.contains("names Encoding profile:|Coercivity:"), qPrintable(seen.join('\n')));

        // Back to Automatic with the driver's own coercivity: the choice is
        // dropped, and the queue is again not a supported card printer.
        seen.clear();
        answer("UnknownCardTest", "auto", "", &seen);
        QVERIFY(ShowPrinterSetupDialog(nullptr));
        QVERIFY2(seen.contains("UnknownCardTest enabled: UnknownCardTest [HID Fargo (chosen)] \u2014 UnknownCardTest"),
                 qPrintable(seen.join('\n')));
        QVERIFY2(seen.contains("coercivity disabled"), qPrintable(seen.join('\n')));
        QVERIFY(!EncodingOverrideFor("UnknownCardTest"));
    }

    void commandLineListsTheProfiles()
    {
        const QString program = QDir(qEnvironmentVariable("VELLORA_PROGRAM_DIR")).filePath("vellora-id");
        if (!QFile::exists(program))
            QSKIP("the assembled program folder is missing (VELLORA_PROGRAM_DIR)");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFile choices(folder.filePath("printers.cfg"));
        QVERIFY(choices.open(QIODevice::WriteOnly));
        choices.write("UnknownCardTest\tfargo\thigh\n");
        choices.close();
        int code = -1;
        const QString out = run(program, {"--list-printers", "--folder", folder.path()}, &code);
        QCOMPARE(code, 0);
        QHash<QString, QStringList> lines;
        for (const QString &line : out.split('\n'))
            lines.insert(line.section('\t', 0, 0), line.split('\t'));
        QCOMPARE(lines.value("TangoTest").value(1), QString("card printer"));
        QCOMPARE(lines.value("TangoTest").value(3), QString("stripe: Gutenprint card printer"));
        QCOMPARE(lines.value("UltraTest").value(3), QString("stripe: Magicard (rastertoultra)"));
        QCOMPARE(lines.value("VelloraCardTest").value(3), QString("stripe: escape text"));
        QCOMPARE(lines.value("UnknownCardTest").value(1), QString("card printer"));
        QCOMPARE(lines.value("UnknownCardTest").value(3), QString("stripe: HID Fargo (chosen)"));
        QCOMPARE(lines.value("VelloraPlainTest").value(1), QString("not a supported card printer"));
        QCOMPARE(lines.value("VelloraPlainTest").value(3), QString("stripe: no stripe encoding"));
    }

    void queueRemovedBeforeTheJob()
    {
        addRecordingQueue("GoneTest", "rastertoultra", {});
        QVERIFY(SelectPrinter("GoneTest"));
        int code = 0;
        QVERIFY2(run("lpadmin", {"-x", "GoneTest"}, &code).isEmpty() || code == 0, "lpadmin -x failed");
        for (bool batch : {true, false}) {
            test::ScriptedDialogs dialogs;
            dialogs.answerText(QString());
            test::ScriptedMessages messages;
            PrintJobRequest r = request("A", "1");
            r.batchMode = batch;
            QVERIFY_THROWS_EXCEPTION(PrintError, RunPrintJob(r));
            QCOMPARE(messages.shown().size(), 0);
        }
    }
};

QTEST_MAIN(TestCupsEncoding)
#include "test_cupsencoding.moc"
