#include "devices/print/EncodingProfile.h"

#include <QRegularExpression>
#include <QUrl>

namespace vellora {

namespace {

QString quotedValue(const QString &line)
{
    const qsizetype open = line.indexOf(u'"');
    const qsizetype close = line.lastIndexOf(u'"');
    if (open < 0 || close <= open)
        return line.mid(line.indexOf(u':') + 1).trimmed();
    return line.mid(open + 1, close - open - 1);
}

bool anyFilterStartsWith(const PpdSummary &ppd, QLatin1String prefix)
{
    for (const QString &f : ppd.filters)
        if (f.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

bool declares(const PpdSummary &ppd, QLatin1String option)
{
    for (const QString &o : ppd.options)
        if (o.compare(option, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QChar startSentinel(int track) { return track == 1 ? u'%' : u';'; }

// Whether a character can stand in the data of a track: track 1 holds the
// ISO 7811 alphanumeric set (blank to underscore), tracks 2 and 3 the
// numeric set ("0" to "?"); the sentinels themselves cannot.
bool inTrackSet(int track, QChar c)
{
    const char16_t u = c.unicode();
    if (track == 1)
        return u >= 0x20 && u <= 0x5F && u != u'%' && u != u'?';
    return u >= 0x30 && u <= 0x3F && u != u';' && u != u'?';
}

// The choice of the driver's coercivity option that means low or high.
QByteArray coercivityChoice(const PpdSummary &ppd, const QString &option, Coercivity c, const QByteArray &low,
                            const QByteArray &high)
{
    const QString want = c == Coercivity::High ? QStringLiteral("hi") : QStringLiteral("lo");
    for (const QString &choice : ppd.choices.value(option))
        if (choice.startsWith(want, Qt::CaseInsensitive))
            return choice.toUtf8();
    return c == Coercivity::High ? high : low;
}

}  // namespace

PpdSummary ParsePpd(const QByteArray &text)
{
    PpdSummary ppd;
    static const QRegularExpression openUi(QStringLiteral("^\\*(?:JCL)?OpenUI\\s+\\*([^/:\\s]+)"));
    static const QRegularExpression custom(QStringLiteral("^\\*Custom([^\\s/:]+)\\s+True"));
    static const QRegularExpression choiceLine(QStringLiteral("^\\*([^\\s/:]+)\\s+([^/:\\s]+)"));
    QString current;  // the option whose choices follow
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (!line.startsWith(u'*') || line.startsWith(QLatin1String("*%")))
            continue;
        if (line.startsWith(QLatin1String("*NickName:"))) {
            ppd.nickName = quotedValue(line);
        } else if (line.startsWith(QLatin1String("*Manufacturer:"))) {
            ppd.manufacturer = quotedValue(line);
        } else if (line.startsWith(QLatin1String("*cupsFilter:")) || line.startsWith(QLatin1String("*cupsFilter2:"))) {
            const QStringList parts = quotedValue(line).split(u' ', Qt::SkipEmptyParts);
            if (!parts.isEmpty() && parts.last() != QLatin1String("-")) {
                const QString program = parts.last();
                ppd.filters.append(program.mid(program.lastIndexOf(u'/') + 1));
            }
        } else if (const auto m = openUi.match(line); m.hasMatch()) {
            current = m.captured(1);
            if (!ppd.options.contains(current))
                ppd.options.append(current);
        } else if (line.startsWith(QLatin1String("*CloseUI")) || line.startsWith(QLatin1String("*JCLCloseUI"))) {
            current.clear();
        } else if (const auto c = custom.match(line); c.hasMatch()) {
            if (!ppd.options.contains(c.captured(1)))
                ppd.options.append(c.captured(1));
        } else if (!current.isEmpty()) {
            const auto ch = choiceLine.match(line);
            if (ch.hasMatch() && ch.captured(1) == current)
                ppd.choices[current].append(ch.captured(2));
        }
    }
    return ppd;
}

const QList<EncodingProfile> &EncodingProfiles()
{
    static const QList<EncodingProfile> profiles{
        {EncodingProfileKind::EscapeText, QStringLiteral("escape-text"), QStringLiteral("escape text"), true,
         {true, true, true}, false},
        {EncodingProfileKind::Magicard, QStringLiteral("magicard"), QStringLiteral("Magicard (rastertoultra)"), false,
         {true, true, true}, false},
        {EncodingProfileKind::Gutenprint, QStringLiteral("gutenprint"), QStringLiteral("Gutenprint card printer"),
         false, {true, true, false}, true},
        {EncodingProfileKind::Evolis, QStringLiteral("evolis"), QStringLiteral("Evolis"), false, {true, true, true}, true},
        {EncodingProfileKind::Fargo, QStringLiteral("fargo"), QStringLiteral("HID Fargo"), false, {true, true, true}, true},
    };
    return profiles;
}

const EncodingProfile &EscapeTextProfile() { return EncodingProfiles().first(); }

const EncodingProfile *EncodingProfileByKey(const QString &key)
{
    for (const EncodingProfile &p : EncodingProfiles())
        if (p.key == key)
            return &p;
    return nullptr;
}

const EncodingProfile *RecogniseEncodingProfile(const PpdSummary &ppd)
{
    auto byKind = [](EncodingProfileKind kind) -> const EncodingProfile * {
        for (const EncodingProfile &p : EncodingProfiles())
            if (p.kind == kind)
                return &p;
        return nullptr;
    };
    if (anyFilterStartsWith(ppd, QLatin1String("rastertoultra")))
        return byKind(EncodingProfileKind::Magicard);
    // Gutenprint drives every kind of printer; only its card printers
    // declare the stripe options.
    if (anyFilterStartsWith(ppd, QLatin1String("rastertogutenprint")) && declares(ppd, QLatin1String("StpMagStripe1")))
        return byKind(EncodingProfileKind::Gutenprint);
    if (anyFilterStartsWith(ppd, QLatin1String("evorasterizer")) ||
        (declares(ppd, QLatin1String("Track1Data")) && declares(ppd, QLatin1String("GMagT1Encoding"))))
        return byKind(EncodingProfileKind::Evolis);
    if (anyFilterStartsWith(ppd, QLatin1String("rastertofargo")) || declares(ppd, QLatin1String("MagTrack1")))
        return byKind(EncodingProfileKind::Fargo);
    return nullptr;
}

QString EscapeLine(int track, const QString &data)
{
    switch (track) {
    case 1:
        return QStringLiteral("~1,MPC7,BPI210,%") + data + u'?';
    case 2:
        return QStringLiteral("~2,MPC5,BPI75,;") + data + u'?';
    default:
        return QStringLiteral("~3,MPC5,BPI210,;") + data + u'?';
    }
}

StripeTracks PrepareTracks(const EncodingProfile &profile, const StripeTracks &tracks)
{
    StripeTracks out = tracks;
    if (!profile.drawsEscapeText && out[0]) {
        QString &t = *out[0];
        for (QChar &c : t)
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 0x20);
    }
    return out;
}

QString StripeProblem(const EncodingProfile &profile, const StripeTracks &tracks, const QString &printer)
{
    if (profile.drawsEscapeText)
        return {};
    // Drivers that read the tracks out of a blank-separated option string
    // or a comma-separated command cut the data at those characters.
    const bool cutsAtBlank = profile.kind == EncodingProfileKind::Magicard || profile.kind == EncodingProfileKind::Gutenprint;
    const bool cutsAtComma = cutsAtBlank;
    for (int t = 1; t <= 3; ++t) {
        if (!tracks[t - 1])
            continue;
        const QString &data = *tracks[t - 1];
        auto problem = [&](const QString &reason) {
            return QStringLiteral("Track %1 cannot be encoded on the printer \"%2\": %3").arg(t).arg(printer, reason);
        };
        if (!profile.tracks[t - 1])
            return problem(QStringLiteral("its driver (%1) does not write track %2.").arg(profile.name).arg(t));
        if (data.size() > TrackCapacity[t - 1])
            return problem(QStringLiteral("it holds %1 characters, at most %2 fit on the track.")
                               .arg(data.size())
                               .arg(TrackCapacity[t - 1]));
        for (const QChar c : data) {
            if (c == u' ' && cutsAtBlank)
                return problem(QStringLiteral("it holds a blank, at which the driver would cut the track."));
            if (c == u',' && cutsAtComma)
                return problem(QStringLiteral("it holds a comma, at which the driver would cut the track."));
            if (!inTrackSet(t, c))
                return problem(QStringLiteral("it holds the character \"%1\", which track %2 cannot carry.").arg(c).arg(t));
        }
    }
    return {};
}

JobOptions StripeJobOptions(const EncodingProfile &profile, const StripeTracks &tracks, Coercivity coercivity,
                            const PpdSummary &ppd)
{
    JobOptions options;
    auto framed = [](int t, const QString &data) { return startSentinel(t) + data + u'?'; };
    for (int t = 1; t <= 3; ++t) {
        if (!tracks[t - 1] || !profile.tracks[t - 1])
            continue;
        const QString &data = *tracks[t - 1];
        const QByteArray n = QByteArray::number(t);
        switch (profile.kind) {
        case EncodingProfileKind::EscapeText:
            break;
        case EncodingProfileKind::Magicard:
            options.append({"TRACK" + n, EscapeLine(t, data).toUtf8()});
            break;
        case EncodingProfileKind::Gutenprint:
            options.append({"StpMagStripe" + n, framed(t, data).toUtf8()});
            break;
        case EncodingProfileKind::Evolis:
            options.append({"Track" + n + "Data", data.toUtf8()});
            options.append({"GMagT" + n + "Encoding", "ISO" + n});
            break;
        case EncodingProfileKind::Fargo:
            options.append({"MagTrack" + n, QUrl::toPercentEncoding(framed(t, data))});
            break;
        }
    }
    if (coercivity != Coercivity::Default && profile.hasCoercivity && !options.isEmpty()) {
        switch (profile.kind) {
        case EncodingProfileKind::Gutenprint:
            options.append({"StpMagCoer", coercivityChoice(ppd, QStringLiteral("StpMagCoer"), coercivity, "Low", "High")});
            break;
        case EncodingProfileKind::Evolis:
            options.append(
                {"GMagCoercivity", coercivityChoice(ppd, QStringLiteral("GMagCoercivity"), coercivity, "LOCO", "HICO")});
            break;
        case EncodingProfileKind::Fargo:
            options.append({"Coercivity", coercivityChoice(ppd, QStringLiteral("Coercivity"), coercivity, "Low", "High")});
            break;
        default:
            break;
        }
    }
    return options;
}

QString CoercivityKey(Coercivity c)
{
    switch (c) {
    case Coercivity::Low:
        return QStringLiteral("low");
    case Coercivity::High:
        return QStringLiteral("high");
    default:
        return {};
    }
}

Coercivity CoercivityFromKey(const QString &key)
{
    if (key == QLatin1String("low"))
        return Coercivity::Low;
    if (key == QLatin1String("high"))
        return Coercivity::High;
    return Coercivity::Default;
}

}  // namespace vellora
