#include "NavigatorTestRig.h"
#include "SrvioTestRig.h"

#include "navigator/LCD_FS.h"
#include "navigator/Win_FS.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The instrument's disk on the simulated server and a local drive X: side by side.
struct Pair {
    explicit Pair(const SimFileServer::Options &options = SimFileServer::Options()) : server(options) {
        bool ok = false;
        lcd = std::make_unique<TLCD_FS>(&instrument, ServerRig::Port, ok);
        connected = ok && lcd->WaitIdentified();
        instrument.SetFileSystem(lcd.get());
        local.SetFileSystem(&localFs);
    }
    QStringList Listing(const QString &path) {
        lcd->ReadDir(path);
        QStringList captions = Captions(instrument);
        captions.sort();
        return captions;
    }

    LocalRig rig;
    ServerRig server;
    NavigatorListing instrument, local;
    TWin_FS localFs{&local};
    std::unique_ptr<TLCD_FS> lcd;
    bool connected = false;
};

TEST(LcdFs, ErrorTexts) {
    const QString prefix = "Код ошибки=";
    EXPECT_EQ(TLCD_FS::ErrText(91, "P"), prefix + "91\n\nНедостаточный размер flash-диска.");
    EXPECT_EQ(TLCD_FS::ErrText(102, "P"), prefix + "102\n\nP\nЗадан неправильный путь");
    EXPECT_EQ(TLCD_FS::ErrText(50, "P"),
              prefix + "50\n\nОшибка эмулятора диска,вызванная невозможностью\nчтения или записи данных flash-памяти.");
    EXPECT_EQ(TLCD_FS::ErrText(-3, "P"),
              prefix + "-3\n\nОшибка эмулятора диска,вызванная невозможностью\nчтения или записи данных flash-памяти.");
    EXPECT_EQ(TLCD_FS::ErrText(98, "P"), prefix + "98\n\n98");
    EXPECT_EQ(TLCD_FS::ErrText(200, "P"), prefix + "200\n\n200");
    EXPECT_EQ(TLCD_FS::ErrText(0, "P"), prefix + "0\n\n");
    EXPECT_EQ(TLCD_FS::OpenStatusText(11), "Устройство не отвечает ");
    EXPECT_EQ(TLCD_FS::OpenStatusText(12), " Unknown Error ");
}

TEST(LcdFs, VersionCheckAndFailedOpen) {
    SimFileServer::Options old;
    old.serverVersion = 821;
    {
        Pair pair(old);
        EXPECT_FALSE(pair.connected) << "the identification wait ends when the connection closes";
        EXPECT_TRUE(pair.rig.messages.contains("Порт:7- Используется устаревшая версия программы R9.bin"));
        EXPECT_EQ(pair.lcd->Service(), nullptr);
        pair.rig.messages.clear();
        EXPECT_FALSE(pair.lcd->CreateDir("R9:\\x"));
        EXPECT_EQ(pair.rig.messages, QStringList{"Устройство Порт:7 недоступно!"});
        // Every operation after a failed open says the device is unreachable, the trash and search too.
        pair.rig.messages.clear();
        pair.lcd->EmptyTrash();
        SearchResults found;
        pair.lcd->Search("R9:", "*.*", found, false);
        EXPECT_EQ(pair.rig.messages, QStringList(2, "Устройство Порт:7 недоступно!"));
        EXPECT_TRUE(found.isEmpty());
    }
    SimFileServer::Options mute;
    mute.greetingReply.clear();
    Pair silent(mute);
    EXPECT_FALSE(silent.connected);
    EXPECT_EQ(silent.rig.messages, QStringList{"Порт:7 Устройство не отвечает "});
}

TEST(LcdFs, ListCreateRenameDeleteTrashRestore) {
    Pair pair;
    ASSERT_TRUE(pair.connected);
    pair.server.Write("a.txt", "abc");
    pair.server.Write("a.", "dot");
    QDir().mkpath(pair.server.Disk("dir"));
    EXPECT_EQ(pair.Listing("R9:"), (QStringList{"a.", "a.txt", "dir/"})) << "a name ending in . keeps it";
    pair.lcd->Delete("R9:\\a.", 0);
    EXPECT_FALSE(QFileInfo::exists(pair.server.Disk("a.")));
    EXPECT_EQ(pair.Listing("R9:"), (QStringList{"a.txt", "dir/"}));
    EXPECT_TRUE(pair.lcd->ListValid());
    EXPECT_EQ(pair.lcd->CurrentPath(), "R9:");
    EXPECT_EQ(pair.Listing("R9:\\dir"), (QStringList{"../"}));
    EXPECT_EQ(pair.instrument.Items[0].SubItems[3], "R9:");

    EXPECT_TRUE(pair.lcd->CreateDir("R9:\\dir\\new"));
    EXPECT_TRUE(QFileInfo(pair.server.Disk("dir/new")).isDir());
    pair.lcd->CreateDir("R9:\\dir\\new");
    EXPECT_TRUE(pair.rig.messages.last().endsWith("R9:\\dir\\new\nКаталог уже существует."));

    EXPECT_TRUE(pair.lcd->Rename("R9:\\a.txt", "R9:\\dir\\b.txt"));
    EXPECT_EQ(pair.server.Read("dir/b.txt"), "abc");
    EXPECT_FALSE(pair.lcd->Rename("R9:\\none.txt", "R9:\\x.txt")) << "a refused rename says so";
    CancelAll = false;

    EXPECT_TRUE(pair.lcd->Delete("R9:\\dir", 1));
    EXPECT_FALSE(QFileInfo::exists(pair.server.Disk("dir")));
    EXPECT_EQ(pair.lcd->TrashCount(), 4);
    SearchResults trash;
    pair.lcd->Search("R9:", "*.*", trash, true);
    EXPECT_EQ(trash, (QStringList{"R9:\\a.", "<DIR> R9:\\dir"}));
    pair.lcd->Restore("R9:\\dir", true);
    pair.lcd->Restore("R9:\\dir\\b.txt", false);
    EXPECT_EQ(pair.server.Read("dir/b.txt"), "abc");

    pair.rig.answers = {IdYes};
    pair.lcd->EmptyTrash();
    EXPECT_EQ(pair.rig.messages.last(), "Очистка корзины успешно завершена.");
    pair.rig.messages.clear();
    EXPECT_EQ(pair.lcd->TrashCount(), 0);
    EXPECT_EQ(pair.rig.messages, QStringList{"Корзина диска R9: пуста."});
    EXPECT_GT(pair.lcd->GetDiskSpace().TotalBytes, 0);
}

TEST(LcdFs, CopyToAndFromTheInstrumentAndTexts) {
    Pair pair;
    ASSERT_TRUE(pair.connected);
    pair.rig.Write("pc/one.txt", "first");
    pair.rig.Write("pc/in/two.bin", QByteArray(3000, '\x16'));
    EXPECT_TRUE(pair.localFs.CopyTo("X:\\pc", "R9:\\pc", &pair.instrument, 1));
    EXPECT_EQ(pair.server.Read("pc/one.txt"), "first");
    EXPECT_EQ(pair.server.Read("pc/in/two.bin"), QByteArray(3000, '\x16'));
    EXPECT_TRUE(pair.lcd->CopyTo("R9:\\pc", "X:\\back", &pair.local, 1));
    EXPECT_EQ(pair.rig.Read("back/in/two.bin"), QByteArray(3000, '\x16'));

    // Overwrite asked on the instrument: No keeps the file.
    pair.rig.Write("pc/one.txt", "second");
    pair.rig.answers = {IdNo};
    pair.localFs.CopyTo("X:\\pc\\one.txt", "R9:\\pc\\one.txt", &pair.instrument, 0);
    EXPECT_EQ(pair.server.Read("pc/one.txt"), "first");
    EXPECT_FALSE(pair.lcd->LastStoreWritten());

    pair.lcd->SaveText("R9:\\t.txt", {"a", "b"});
    EXPECT_EQ(pair.server.Read("t.txt"), "a\r\nb\r\n") << "the instrument keeps CR LF";
    pair.server.Write("z.bin", QByteArray("0123\0" "56789", 10));
    QStringList lines;
    pair.lcd->LoadText("R9:\\z.bin", lines);
    EXPECT_EQ(pair.lcd->TextBuffer(), QByteArray("0123\x80" "56789\0", 11));
    pair.lcd->SetCurrentPath("R9:\\pc");
    pair.lcd->CreateEmptyFile("X:\\whatever\\empty.dat");
    EXPECT_EQ(pair.server.Read("pc/empty.dat"), "");

    SearchResults found;
    pair.lcd->Search("R9:", "*.BIN", found, false);
    found.sort();
    EXPECT_EQ(found, (QStringList{"R9:\\pc\\in\\two.bin", "R9:\\z.bin"}));
}

TEST(LcdFs, StoreNeedsTheExchangeFileBeforeItAsks) {
    Pair pair;
    ASSERT_TRUE(pair.connected);
    pair.server.Write("kept.txt", "old");
    QFile::remove(ExchangeFile());
    pair.lcd->StoreFile("R9:\\kept.txt");
    EXPECT_EQ(pair.rig.messages, QStringList{"Не открыт " + ExchangeFile()}) << "no overwrite question first";
    EXPECT_EQ(pair.server.Read("kept.txt"), "old");

    // An exchange file that cannot be deleted (here a folder in its place) is named with the error code.
    pair.rig.messages.clear();
    ASSERT_TRUE(QDir().mkpath(ExchangeFile()));
    pair.lcd->StoreFile("R9:\\new.txt");
    EXPECT_TRUE(pair.rig.messages.contains("Не могу удалить файл " + ExchangeFile() + " Err=" + QString::number(EISDIR)))
        << pair.rig.messages.join('|').toStdString();
    QDir(ExchangeFile()).removeRecursively();
}

bool Decline(std::int32_t, const QString &, const QString &, QStringList *, TFileSystem *) { return false; }
bool Accept(std::int32_t, const QString &, const QString &, QStringList *, TFileSystem *) { return true; }

TEST(LcdFs, AConversionReportsAStoreOnlyWhenItStores) {
    Pair pair;
    ASSERT_TRUE(pair.connected);
    pair.server.Write("c.cfg", "cfg");
    QStringList progress;
    pair.instrument.OnProgress = [&](NavigatorListing *, const QString &name, int pos) {
        if (!name.isEmpty())
            progress << name + " " + QString::number(pos);
    };
    EXPECT_TRUE(pair.lcd->ConvertTo("R9:\\c.cfg", "X:\\c.cfg", &pair.local, 0, 0, Decline, nullptr));
    EXPECT_EQ(progress, (QStringList{"Чтение из R9:\\c.cfg 0", "Чтение из R9:\\c.cfg 100",
                                     "Конвертация в X:\\c.cfg 0", "Конвертация в X:\\c.cfg 100"}));
    EXPECT_FALSE(QFileInfo::exists(pair.rig.Path("c.cfg")));
    progress.clear();
    EXPECT_TRUE(pair.lcd->ConvertTo("R9:\\c.cfg", "X:\\c.cfg", &pair.local, 0, 0, Accept, nullptr));
    EXPECT_EQ(progress.mid(4), (QStringList{"Запись в X:\\c.cfg 0", "Запись в X:\\c.cfg 100"}));
    EXPECT_EQ(pair.rig.Read("c.cfg"), "cfg");
}

TEST(LcdFs, ServerErrorCancelsTheChain) {
    Pair pair;
    ASSERT_TRUE(pair.connected);
    pair.lcd->Delete("R9:\\missing.txt", 0);
    EXPECT_TRUE(CancelAll);
    EXPECT_TRUE(pair.rig.messages.last().contains("Файл не найден."));
}

TEST(LcdFs, DiskSpaceInBytesAndRecoveryFromFaults) {
    SimFileServer::Options faulty;
    faulty.toProgram.corrupt = 0.0003;
    faulty.toServer.drop = 0.0003;
    faulty.seed = 9;
    Pair pair(faulty);
    ASSERT_TRUE(pair.connected);
    TSrvIo *srv = pair.lcd->Service();
    srv->OnDiskSpace(srv, 1000, 5, 131072, -1, 0);
    EXPECT_EQ(pair.lcd->DiskSpace().FreeBytes, 67108864);
    EXPECT_EQ(pair.lcd->DiskSpace().TotalBytes, 512000);
    EXPECT_EQ(pair.lcd->DiskSpace().TrashBytes, 0) << "a negative count reads as none";
    pair.rig.Write("f.bin", QByteArray(20000, 'q'));
    EXPECT_TRUE(pair.localFs.CopyTo("X:\\f.bin", "R9:\\f.bin", &pair.instrument, 0));
    EXPECT_EQ(pair.server.Read("f.bin"), QByteArray(20000, 'q'));
    EXPECT_GT(srv->RecvErrCnt() + srv->SendErrCnt() + srv->SendReqCnt(), 0u);
}

} // namespace
