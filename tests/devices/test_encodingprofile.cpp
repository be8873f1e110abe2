// Encoding profiles: recognising a driver from its PPD, checking tracks
// against what the driver can take, and the job options each driver reads.
#include "devices/print/EncodingProfile.h"
#include "devices/print/PrintDevice.h"
#include "devices/print/QueueEncoding.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

namespace {

const EncodingProfile &profile(const char *key)
{
    const EncodingProfile *p = EncodingProfileByKey(QString::fromLatin1(key));
    if (!p)
        qFatal("no profile %s", key);
    return *p;
}

QByteArray ppdWith(const QByteArray &filter, const QByteArray &options = {})
{
    return "*PPD-Adobe: \"4.3\"\n*NickName: \"Test Card Printer\"\n*cupsFilter: \"application/vnd.cups-raster 100 " +
           filter + "\"\n" + options;
}

StripeTracks tracks(std::optional<QString> t1, std::optional<QString> t2 = std::nullopt,
                    std::optional<QString> t3 = std::nullopt)
{
    return {t1, t2, t3};
}

}  // namespace

Q_DECLARE_METATYPE(StripeTracks)

class TestEncodingProfile : public QObject {
    Q_OBJECT

private slots:
    void parsesWhatTheProfilesLookAt()
    {
        const QByteArray text = "*PPD-Adobe: \"4.3\"\n"
                                "*% a comment *OpenUI *NotAnOption: PickOne\n"
                                "*Manufacturer:\t\"Magicard\"\n"
                                "*NickName:      \"Magicard Tango 2E - CUPS+Gutenprint v5.3.4\"\n"
                                "*cupsFilter:\t\"application/vnd.cups-command 33 commandtodyesub\"\n"
                                "*cupsFilter2: \"application/vnd.cups-raster application/x-x 0 /opt/x/rastertogutenprint.5.3\"\n"
                                "*cupsFilter: \"application/vnd.cups-pdf 0 -\"\n"
                                "*OpenUI *StpMagCoer/Magnetic Stripe Coercivity: PickOne\n"
                                "*DefaultStpMagCoer: Low\n"
                                "*StpMagCoer Low/Low: \"\"\n"
                                "*StpMagCoer High/High: \"\"\n"
                                "*CloseUI: *StpMagCoer\n"
                                "*CustomStpMagStripe1 True: \"pop\"\n"
                                "*ParamCustomStpMagStripe1 Text/Text: 1 string 0 0\n"
                                "*JCLOpenUI *JCLMode/Mode: PickOne\r\n"
                                "*JCLMode Fast/Fast: \"\"\r\n"
                                "*JCLCloseUI: *JCLMode\r\n";
        const PpdSummary ppd = ParsePpd(text);
        QCOMPARE(ppd.manufacturer, QString("Magicard"));
        QCOMPARE(ppd.nickName, QString("Magicard Tango 2E - CUPS+Gutenprint v5.3.4"));
        QCOMPARE(ppd.filters, QStringList({"commandtodyesub", "rastertogutenprint.5.3"}));
        QCOMPARE(ppd.options, QStringList({"StpMagCoer", "StpMagStripe1", "JCLMode"}));
        QCOMPARE(ppd.choices.value("StpMagCoer"), QStringList({"Low", "High"}));
        QCOMPARE(ppd.choices.value("JCLMode"), QStringList({"Fast"}));
        QCOMPARE(ParsePpd("\xff\xfe garbage\n*NickName").filters, QStringList());
    }

    void recognisesTheDriver_data()
    {
        QTest::addColumn<QByteArray>("ppd");
        QTest::addColumn<QString>("profile");  // empty: none
        QTest::newRow("magicard") << ppdWith("rastertoultra") << "magicard";
        QTest::newRow("magicard, absolute path") << ppdWith("/usr/lib/cups/filter/rastertoultra") << "magicard";
        QTest::newRow("gutenprint card printer")
            << ppdWith("rastertogutenprint.5.3", "*CustomStpMagStripe1 True: \"pop\"\n") << "gutenprint";
        QTest::newRow("gutenprint photo printer") << ppdWith("rastertogutenprint.5.3") << "";
        QTest::newRow("evolis") << ppdWith("evorasterizer") << "evolis";
        QTest::newRow("evolis by its options")
            << ppdWith("other", "*OpenUI *Track1Data/T1: PickOne\n*OpenUI *GMagT1Encoding/E: PickOne\n") << "evolis";
        QTest::newRow("fargo") << ppdWith("rastertofargo-dtc") << "fargo";
        QTest::newRow("fargo by its options") << ppdWith("other", "*OpenUI *MagTrack1/Track 1: PickOne\n") << "fargo";
        QTest::newRow("office printer") << ppdWith("rastertopclx") << "";
        QTest::newRow("card words in the name only")
            << QByteArray("*NickName: \"Magicard Evolis Fargo\"\n*cupsFilter: \"application/pdf 0 pdftopdf\"\n") << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void recognisesTheDriver()
    {
        QFETCH(QByteArray, ppd);
        QFETCH(QString, profile);
        const EncodingProfile *p = RecogniseEncodingProfile(ParsePpd(ppd));
        QCOMPARE(p ? p->key : QString(), profile);
        if (p)
            QVERIFY(!p->drawsEscapeText);
    }

    void checksTracksBeforeAnythingIsPrinted_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<StripeTracks>("stripe");
        QTest::addColumn<QString>("problem");  // part of the message; empty: encodable
        const QString a76(76, 'A'), n37(37, '1'), n104(104, '2');
        QTest::newRow("capacities exactly") << "magicard" << tracks(a76, n37, n104) << "";
        QTest::newRow("track 1 one more") << "magicard" << tracks(a76 + 'A') << "Track 1 cannot be encoded on the printer \"Q\": it holds 77 characters, at most 76";
        QTest::newRow("track 2 one more") << "evolis" << tracks(std::nullopt, n37 + '1') << "Track 2 cannot";
        QTest::newRow("track 3 one more") << "fargo" << tracks(std::nullopt, std::nullopt, n104 + '2') << "Track 3 cannot";
        QTest::newRow("blank cuts magicard track 1") << "magicard" << tracks("MARIA LINDQVIST") << "a blank";
        QTest::newRow("blank cuts gutenprint track 1") << "gutenprint" << tracks("MARIA LINDQVIST") << "a blank";
        QTest::newRow("comma cuts magicard track 1") << "magicard" << tracks("LINDQVIST,MARIA") << "a comma";
        QTest::newRow("blank is fine for evolis") << "evolis" << tracks("MARIA LINDQVIST") << "";
        QTest::newRow("blank and comma fine for fargo") << "fargo" << tracks("LINDQVIST, MARIA") << "";
        QTest::newRow("gutenprint writes no track 3") << "gutenprint" << tracks("A", "1", "") << "does not write track 3";
        QTest::newRow("gutenprint tracks 1 and 2") << "gutenprint" << tracks("A^B", "1234=56") << "";
        QTest::newRow("bar on track 1") << "evolis" << tracks("A|B") << "\"|\"";
        QTest::newRow("pound sign on track 1") << "fargo" << tracks(QString::fromUtf8("\u00a35")) << QString::fromUtf8("\"\u00a3\"");
        QTest::newRow("end sentinel inside track 1") << "evolis" << tracks("A?B") << "\"?\"";
        QTest::newRow("start sentinel inside track 2") << "evolis" << tracks(std::nullopt, "12;34") << "\";\"";
        QTest::newRow("empty track") << "magicard" << tracks("", "") << "";
        QTest::newRow("escape text takes anything") << "escape-text" << tracks(QString(200, '|'), "x y", "") << "";
    }
    void checksTracksBeforeAnythingIsPrinted()
    {
        QFETCH(QString, profile);
        QFETCH(StripeTracks, stripe);
        QFETCH(QString, problem);
        const EncodingProfile &p = *EncodingProfileByKey(profile);
        const QString found = StripeProblem(p, PrepareTracks(p, stripe), "Q");
        if (problem.isEmpty())
            QCOMPARE(found, QString());
        else
            QVERIFY2(found.contains(problem), qPrintable(found));
    }

    void smallLettersBecomeCapitalsOnlyForDrivers()
    {
        const StripeTracks given = tracks("Maria Lindqvist", "1234");
        QCOMPARE(*PrepareTracks(profile("evolis"), given)[0], QString("MARIA LINDQVIST"));
        QCOMPARE(*PrepareTracks(profile("escape-text"), given)[0], QString("Maria Lindqvist"));
        QCOMPARE(*PrepareTracks(profile("evolis"), given)[1], QString("1234"));
    }

    void jobOptionsAsEachDriverReadsThem_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("coercivity");
        QTest::addColumn<QByteArray>("ppd");
        QTest::addColumn<QStringList>("options");
        const QByteArray fargoPpd = "*OpenUI *Coercivity/Coercivity: PickOne\n*Coercivity HiCo/High: \"\"\n"
                                    "*Coercivity LoCo/Low: \"\"\n*CloseUI: *Coercivity\n";
        QTest::newRow("magicard")
            << "magicard" << int(Coercivity::High) << QByteArray()
            << QStringList{"TRACK1=~1,MPC7,BPI210,%LINDQVIST^MARIA?", "TRACK2=~2,MPC5,BPI75,;1234=56?",
                           "TRACK3=~3,MPC5,BPI210,;99?"};
        QTest::newRow("gutenprint") << "gutenprint" << int(Coercivity::High) << QByteArray()
                                    << QStringList{"StpMagStripe1=%LINDQVIST^MARIA?", "StpMagStripe2=;1234=56?",
                                                   "StpMagCoer=High"};
        QTest::newRow("evolis") << "evolis" << int(Coercivity::Low) << QByteArray()
                                << QStringList{"Track1Data=LINDQVIST^MARIA", "GMagT1Encoding=ISO1",
                                               "Track2Data=1234=56", "GMagT2Encoding=ISO2", "Track3Data=99",
                                               "GMagT3Encoding=ISO3", "GMagCoercivity=LOCO"};
        QTest::newRow("fargo, choices from its PPD")
            << "fargo" << int(Coercivity::High) << fargoPpd
            << QStringList{"MagTrack1=%25LINDQVIST%5EMARIA%3F", "MagTrack2=%3B1234%3D56%3F", "MagTrack3=%3B99%3F",
                           "Coercivity=HiCo"};
        QTest::newRow("driver default coercivity")
            << "fargo" << int(Coercivity::Default) << fargoPpd
            << QStringList{"MagTrack1=%25LINDQVIST%5EMARIA%3F", "MagTrack2=%3B1234%3D56%3F", "MagTrack3=%3B99%3F"};
        QTest::newRow("escape text") << "escape-text" << int(Coercivity::High) << QByteArray() << QStringList();
    }
    void jobOptionsAsEachDriverReadsThem()
    {
        QFETCH(QString, profile);
        QFETCH(int, coercivity);
        QFETCH(QByteArray, ppd);
        QFETCH(QStringList, options);
        const StripeTracks stripe = tracks("LINDQVIST^MARIA", "1234=56", profile == "gutenprint" ? std::nullopt : std::optional<QString>("99"));
        QStringList got;
        for (const auto &[name, value] : StripeJobOptions(*EncodingProfileByKey(profile), stripe,
                                                          Coercivity(coercivity), ParsePpd(ppd)))
            got << QString::fromUtf8(name + '=' + value);
        QCOMPARE(got, options);
    }

    void noTrackNoOptions()
    {
        QVERIFY(StripeJobOptions(profile("evolis"), tracks(std::nullopt), Coercivity::High).isEmpty());
    }

    void operatorsChoicesKeptPerQueue()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("printers.cfg");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Other\tfargo\thigh\nBroken line\nFuture\tsomething-new\t\n");
        }
        SetEncodingOverrideFile(path);
        QCOMPARE(EncodingOverrideFor("Other"), std::optional<EncodingOverride>({"fargo", Coercivity::High}));
        QVERIFY(!EncodingOverrideFor("Future"));
        StoreEncodingOverride("Desk Card", EncodingOverride{"evolis", Coercivity::Low});
        StoreEncodingOverride("Tango", EncodingOverride{"auto", Coercivity::High});
        QCOMPARE(EncodingOverrideFor("Desk Card"), std::optional<EncodingOverride>({"evolis", Coercivity::Low}));
        QCOMPARE(EncodingOverrideFor("Tango"), std::optional<EncodingOverride>({"auto", Coercivity::High}));
        StoreEncodingOverride("Desk Card", EncodingOverride{"escape-text", Coercivity::Default});
        StoreEncodingOverride("Other", std::nullopt);
        QCOMPARE(EncodingOverrideFor("Desk Card"), std::optional<EncodingOverride>({"escape-text", Coercivity::Default}));
        QVERIFY(!EncodingOverrideFor("Other"));
        // Lines this version cannot read stay for the version that wrote them.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("Future\tsomething-new"));
        QVERIFY(text.contains("Broken line"));
        QCOMPARE(text.count('\n'), 4);

        SetEncodingOverrideFile(dir.filePath("no/such/folder/printers.cfg"));
        QVERIFY_THROWS_EXCEPTION(PrintError, StoreEncodingOverride("Tango", EncodingOverride{"evolis", Coercivity::Low}));
        SetEncodingOverrideFile({});
        QVERIFY(!EncodingOverrideFor("Tango"));
    }
};

QTEST_GUILESS_MAIN(TestEncodingProfile)
#include "test_encodingprofile.moc"
