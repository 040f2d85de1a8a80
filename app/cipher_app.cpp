// Start-up of the desktop program.
#include "app/cipher_app.h"

#include "app/main_frame.h"
#include "app/single_instance.h"
#include "chrome/focus_style.h"
#include "config/settings_store.h"
#include "product_version.h"
#include "shell/cipher_doc.h"
#include "tips/tip_dlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

CCipherApp::CCipherApp() = default;
CCipherApp::~CCipherApp() = default;

namespace {

bool IsNoUiFlag(const QString& argument)
{
    const QString flag = argument.toLower();
    return flag == QLatin1String("-embedding") || flag == QLatin1String("/embedding")
        || flag == QLatin1String("-automation") || flag == QLatin1String("/automation");
}

} // namespace

bool CCipherApp::StartsWithoutUi(const QStringList& arguments)
{
    for (const QString& a : arguments.mid(1))
        if (IsNoUiFlag(a))
            return true;
    return false;
}

QStringList CCipherApp::FileArguments(const QStringList& arguments)
{
    QStringList files;
    for (const QString& a : arguments.mid(1)) {
        if (IsNoUiFlag(a))
            continue;
        // Some desktops pass file URLs rather than paths.
        const QString path = a.startsWith(QLatin1String("file:")) ? QUrl(a).toLocalFile() : a;
        const QFileInfo info(path);
        if (!path.isEmpty() && info.exists())
            files << QDir::cleanPath(info.absoluteFilePath());
    }
    return files;
}

bool CCipherApp::InitInstance(const QStringList& arguments)
{
    m_instance = std::make_unique<CSingleInstance>(QString::fromLatin1(kAppName));
    const QStringList files = FileArguments(arguments);
    // The running copy shows them and this one ends; when no copy answers,
    // this one runs after all.
    if (!m_instance->Acquire() && m_instance->HandOver(files))
        return false;

    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    QApplication::setOrganizationName(QStringLiteral(KVN_PRODUCT_NAME " Setting"));
    CSettingsStore::Instance(); // the settings key is fixed before anything reads
    if (!qobject_cast<CFocusStyle*>(QApplication::style()))
        QApplication::setStyle(new CFocusStyle);

    // Files given on the command line are shown and selected, nothing is
    // read from them; so are those a later start hands over.
    m_doc = std::make_unique<CCipherDoc>();
    m_frame = std::make_unique<CMainFrame>(m_doc.get());
    m_frame->showMaximized();
    m_frame->setWindowTitle(QString::fromLatin1(kTitle));
    QObject::connect(m_instance.get(), &CSingleInstance::filesHandedOver, m_frame.get(), &CMainFrame::OpenFiles);
    if (!files.isEmpty())
        m_frame->OpenFiles(files);

    if (!StartsWithoutUi(arguments)) {
        CTipDlg tip(m_frame.get());
        if (tip.ShowAtStartUp())
            tip.exec();
    }
    return true;
}
