#pragma once
// Encoding profiles: how the magnetic stripe reaches a card printer's driver.
// The escape-text profile draws one line of text per track onto the front
// page, for drivers that take those lines off the page (and for the virtual
// card printer). Every other profile hands the tracks to a CUPS raster
// filter as job options, in the keywords and the form that filter reads;
// nothing of the stripe is then drawn.
//
// A queue's profile is recognised from its driver description (PPD): the
// filter programs it runs and the option keywords it declares.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

namespace vellora {

enum class EncodingProfileKind { EscapeText, Magicard, Gutenprint, Evolis, Fargo };

enum class Coercivity { Default, Low, High };

// What a driver description declares, as far as the profiles look at it.
struct PpdSummary {
    QString nickName;
    QString manufacturer;
    QStringList filters;  // program names of *cupsFilter/*cupsFilter2 lines, without folder
    QStringList options;  // keywords of the options it declares (OpenUI and custom ones)
    QHash<QString, QStringList> choices;  // option keyword -> its choice keywords
};

// Reads the lines of a PPD file that PpdSummary holds; other lines are
// skipped, so a damaged file gives what could be read.
PpdSummary ParsePpd(const QByteArray &text);

// One track as the print job hands it over: the data alone, without
// sentinels; nullopt when the track is not encoded.
using StripeTracks = std::array<std::optional<QString>, 3>;

// Job options in the order they are handed to CUPS.
using JobOptions = QList<std::pair<QByteArray, QByteArray>>;

struct EncodingProfile {
    EncodingProfileKind kind = EncodingProfileKind::EscapeText;
    QString key;   // stored in the override file: "escape-text", "magicard", ...
    QString name;  // shown beside a queue
    bool drawsEscapeText = true;
    std::array<bool, 3> tracks{true, true, true};  // the tracks it can encode
    bool hasCoercivity = false;
};

// ISO/IEC 7811 data capacities of tracks 1..3 (without sentinels and check
// character).
inline constexpr std::array<int, 3> TrackCapacity{76, 37, 104};

// Every profile, escape text first.
const QList<EncodingProfile> &EncodingProfiles();
const EncodingProfile &EscapeTextProfile();
// nullptr for an unknown key.
const EncodingProfile *EncodingProfileByKey(const QString &key);
// The profile whose driver the description names; nullptr when none does.
const EncodingProfile *RecogniseEncodingProfile(const PpdSummary &ppd);

// The escape line of a track as it is drawn onto the page:
// "~1,MPC7,BPI210,%" data "?", "~2,MPC5,BPI75,;" data "?",
// "~3,MPC5,BPI210,;" data "?".
QString EscapeLine(int track, const QString &data);

// The tracks as an option profile encodes them: lower-case letters on
// track 1 become capitals (a stripe has no small letters; the track entry
// rule capitalises the same way). The escape-text profile takes the tracks
// as they are.
StripeTracks PrepareTracks(const EncodingProfile &profile, const StripeTracks &tracks);

// Why the profile cannot encode the (prepared) tracks, naming the track and
// the printer; empty when it can.
QString StripeProblem(const EncodingProfile &profile, const StripeTracks &tracks, const QString &printer);

// The job options that carry the (prepared, valid) tracks to the driver.
// ppd supplies the choice keywords of a coercivity option where the driver
// names its own.
JobOptions StripeJobOptions(const EncodingProfile &profile, const StripeTracks &tracks, Coercivity coercivity,
                            const PpdSummary &ppd = {});

QString CoercivityKey(Coercivity c);  // "", "low", "high"
Coercivity CoercivityFromKey(const QString &key);

}  // namespace vellora
