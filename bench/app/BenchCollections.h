// Program folders holding N cards, each card with its own photo file
// (data/images/<number>.jpg), for the benchmarks of the whole program.
// They are kept below the build folder (bench-collections/cards-N) and
// reused by later runs: making 100,000 cards takes a while. Delete the
// folder to make them again.
#pragma once

#include "engine/Table.h"
#include "store/CardTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace benchcards {

inline bool CopyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo &fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + '/' + fi.fileName();
        if (fi.isDir()) {
            if (fi.fileName() == QLatin1String("printed"))
                continue;
            if (!CopyTree(fi.filePath(), target))
                return false;
        } else if (fi.fileName() != QLatin1String("vellora-id") && !QFile::copy(fi.filePath(), target)) {
            return false;
        }
    }
    return true;
}

// A portrait photo of the usual size: smooth shading with some grain, so
// that it decodes like a camera picture and not like a flat colour.
inline QImage SamplePhoto()
{
    QImage photo(300, 400, QImage::Format_RGB32);
    auto *random = QRandomGenerator::global();
    for (int y = 0; y < photo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int grain = int(random->bounded(16));
            const double dx = (x - 150) / 90.0, dy = (y - 150) / 110.0;
            const bool face = dx * dx + dy * dy < 1.0;
            line[x] = face ? qRgb(210 - y / 8 + grain, 170 - y / 10 + grain, 140 + grain)
                           : qRgb(70 + x / 6 + grain, 90 + y / 8 + grain, 140 + grain);
        }
    }
    return photo;
}

// The program folder with `cards` cards numbered 1..cards, each with a photo
// file; ends with '/'.
inline QString Collection(int cards)
{
    const QString folder = QStringLiteral(VELLORA_BENCH_COLLECTIONS "/cards-%1/").arg(cards);
    const QString done = folder + QStringLiteral(".complete");
    if (QFile::exists(done))
        return folder;
    std::fprintf(stderr, "making a collection of %d cards with photos in %s\n", cards, qPrintable(folder));
    QDir(folder).removeRecursively();
    if (!CopyTree(QStringLiteral(VELLORA_PROGRAM_DIR), folder)) {
        std::fprintf(stderr, "cannot copy the program folder\n");
        std::exit(1);
    }
    {
        vellora::Table table;
        vellora::OpenCardTable(table, folder);
        for (int i = 1; i <= cards; ++i) {
            table.append();
            table.fieldByName(QStringLiteral("First_name")).setAsString(QStringLiteral("First%1").arg(i));
            table.fieldByName(QStringLiteral("Last_name")).setAsString(QStringLiteral("Last%1").arg(i));
            table.fieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Engineer"));
            table.fieldByName(QStringLiteral("Department")).setAsString(QStringLiteral("Research"));
            table.post();
            if (i % 5000 == 0)
                table.commitUpdates();
        }
        table.commitUpdates();
        table.last();
        const qint64 last = table.field(0).asString().toLongLong();
        table.close();
        if (cards > 0 && last != cards) {
            std::fprintf(stderr, "the table's numbers do not run from 1 (last %lld)\n", last);
            std::exit(1);
        }
    }
    // One photo, linked under every card's name: a folder entry per card as
    // with real photos, without a gigabyte of files (a copy of it for every
    // 50,000 cards: a file takes at most 65,000 links).
    const QString images = folder + QStringLiteral("data/images/");
    QDir().mkpath(images);
    const QImage photo = SamplePhoto();
    QByteArray from;
    for (int i = 1; i <= cards; ++i) {
        if (i % 50000 == 1) {
            const QString source = folder + QStringLiteral("photo-%1.jpg").arg(i / 50000);
            photo.save(source, "JPG", 90);
            from = QFile::encodeName(source);
        }
        const QByteArray to = QFile::encodeName(images + QStringLiteral("%1.jpg").arg(i));
        if (::link(from.constData(), to.constData()) != 0) {
            std::perror("link");
            std::exit(1);
        }
    }
    QFile marker(done);
    if (!marker.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot finish %s\n", qPrintable(folder));
        std::exit(1);
    }
    return folder;
}

}  // namespace benchcards
