// Start-up of the desktop program.
#include "cipher_app.h"

#include "cipher_doc.h"
#include "main_frame.h"
#include "settings_store.h"
#include "single_instance.h"
#include "tip_dlg.h"
#include "product_version.h"

#include <QApplication>

CCipherApp::CCipherApp() = default;
CCipherApp::~CCipherApp() = default;

bool CCipherApp::StartsWithoutUi(const QStringList& arguments)
{
    for (const QString& a : arguments.mid(1)) {
        const QString flag = a.toLower();
        if (flag == QLatin1String("-embedding") || flag == QLatin1String("/embedding")
            || flag == QLatin1String("-automation") || flag == QLatin1String("/automation"))
            return true;
    }
    return false;
}

bool CCipherApp::InitInstance(const QStringList& arguments)
{
    m_instance = std::make_unique<CSingleInstance>(QString::fromLatin1(kAppName));
    if (!m_instance->Acquire())
        return false;

    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    QApplication::setOrganizationName(QStringLiteral(KVN_PRODUCT_NAME " Setting"));
    CSettingsStore::Instance(); // the settings key is fixed before anything reads

    // A ".kvn" file given on the command line or dropped on the window opens
    // the normal, empty document: nothing is read from it.
    m_doc = std::make_unique<CCipherDoc>();
    m_frame = std::make_unique<CMainFrame>(m_doc.get());
    m_frame->showMaximized();
    m_frame->setWindowTitle(QString::fromLatin1(kTitle));

    if (!StartsWithoutUi(arguments)) {
        CTipDlg tip(m_frame.get());
        if (tip.ShowAtStartUp())
            tip.exec();
    }
    return true;
}
