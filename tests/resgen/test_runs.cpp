// The generator as the build runs it: the same bytes on every run, exactly the files the
// build expects, and failures reported as failures.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <set>

#include "ResFiles.h"

namespace {

int RunGenerator(const QStringList& args, QByteArray* out = nullptr) {
    QProcess process;
    process.setProgram(QStringLiteral(TILELINK_RESGEN_EXE));
    process.setArguments(args);
    process.start();
    if (!process.waitForFinished(60000)) return -1;
    if (out) *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::set<QString> FilesBelow(const QString& root) {
    std::set<QString> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) files.insert(base.relativeFilePath(it.next()));
    return files;
}

std::set<QString> ExpectedFiles() {
    std::set<QString> files;
    const QByteArray list = ResFiles::ReadAll(QStringLiteral(TILELINK_RESGEN_FILES));
    for (const QByteArray& line : list.split('\n')) {
        if (!line.trimmed().isEmpty()) files.insert(QString::fromUtf8(line.trimmed()));
    }
    return files;
}

TEST(Runs, TwoRunsWriteIdenticalBytesAndExactlyTheBuildsFiles) {
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    ASSERT_EQ(RunGenerator({QStringLiteral("--out"), first.path()}), 0);
    ASSERT_EQ(RunGenerator({QStringLiteral("--out"), second.path()}), 0);

    const std::set<QString> expected = ExpectedFiles();
    ASSERT_GT(expected.size(), 80u);
    const std::set<QString> written = FilesBelow(first.path());
    EXPECT_EQ(written, expected) << "the build's output list and the generator disagree";
    EXPECT_EQ(FilesBelow(second.path()), written);

    int compared = 0;
    for (const QString& file : written) {
        const QByteArray a = ResFiles::ReadAll(QDir(first.path()).filePath(file));
        EXPECT_EQ(a, ResFiles::ReadAll(QDir(second.path()).filePath(file)))
            << file.toStdString() << " differs between runs";
        EXPECT_EQ(a, ResFiles::ReadAll(ResFiles::LobbyPath(file)))
            << file.toStdString() << " in the build tree is stale";
        compared += !a.isEmpty();
    }
    EXPECT_EQ(compared, static_cast<int>(written.size())) << "no file may be empty";
}

TEST(Runs, ListMatchesTheFilesWritten) {
    QByteArray out;
    ASSERT_EQ(RunGenerator({QStringLiteral("--list")}, &out), 0);
    std::set<QString> listed;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty()) listed.insert(QString::fromUtf8(line));
    }
    EXPECT_EQ(listed, ExpectedFiles());
}

TEST(Runs, BadUseAndUnwritableFoldersFail) {
    EXPECT_EQ(RunGenerator({}), 2);
    EXPECT_EQ(RunGenerator({QStringLiteral("--frobnicate")}), 2);
    EXPECT_EQ(RunGenerator({QStringLiteral("--out")}), 2) << "an option without its value";

    // A plain file where the lobby folder should be: nothing can be written below it.
    QTemporaryDir dir;
    const QString blocker = QDir(dir.path()).filePath(QStringLiteral("lobby"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(RunGenerator({QStringLiteral("--out"), blocker}), 1);

    EXPECT_NE(RunGenerator({QStringLiteral("--gallery"), QDir(blocker).filePath(QStringLiteral("g.png"))}), 0);
}

TEST(Runs, TheReviewPictureIsWritten) {
    QTemporaryDir dir;
    const QString png = QDir(dir.path()).filePath(QStringLiteral("gallery.png"));
    ASSERT_EQ(RunGenerator({QStringLiteral("--gallery"), png}), 0);
    const QImage gallery(png);
    EXPECT_GE(gallery.width(), 1600);
    EXPECT_GT(gallery.height(), 2000);
}

}  // namespace
