// The tip-of-the-day window's reading of tips.txt over arbitrary file
// contents: the window opens on the file, shows the first tip and is asked
// for three more. Input: bytes 0-3 are the stored position to resume at
// (little-endian), the rest is the file.
#include "config/settings_store.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "tips/tip_dlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

QTemporaryDir* g_folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    g_folder = new QTemporaryDir;
    if (!g_folder->isValid())
        std::abort();
    CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(g_folder->filePath("kvn.ini")));
    ProgramFolder::Override(g_folder->path());
    CMessageService::SetHandler([](const MessageRequest&) { return QMessageBox::Ok; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const unsigned pos = unsigned(data[0]) | unsigned(data[1]) << 8 | unsigned(data[2]) << 16 | unsigned(data[3]) << 24;
    CSettingsStore::Instance().WriteInt(QStringLiteral("Tip"), QStringLiteral("FilePos"), pos);
    QFile tips(g_folder->filePath("tips.txt"));
    if (!tips.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    tips.write(reinterpret_cast<const char*>(data + 4), qint64(size - 4));
    tips.close();

    CTipDlg dlg;
    if (auto* next = dlg.findChild<QPushButton*>(QStringLiteral("nextTip")))
        for (int i = 0; i < 3; ++i)
            next->click();
    return 0;
}
