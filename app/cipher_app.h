// The application: start-up in its order (single instance, settings, the
// document and main window, the tip of the day) and what lives as long as
// the program.
#pragma once
#include "product_version.h"

#include <QStringList>
#include <memory>

class CCipherDoc;
class CMainFrame;
class CSingleInstance;

class CCipherApp {
public:
    static constexpr const char* kAppName = KVN_PRODUCT_NAME;
    static constexpr const char* kTitle = " " KVN_PRODUCT_NAME " " KVN_VERSION;

    CCipherApp();
    ~CCipherApp();

    // False when the program is to end at once: another copy runs, and has
    // been handed the files named on the command line.
    bool InitInstance(const QStringList& arguments);

    CCipherDoc* Document() const { return m_doc.get(); }
    CMainFrame* MainFrame() const { return m_frame.get(); }

    // Whether the command line asks for no start-up window (an embedding or
    // automation start, as the desktop may request).
    static bool StartsWithoutUi(const QStringList& arguments);
    // The files and folders the command line names ("Open With", a double
    // click), made absolute; flags and names of nothing are left out.
    static QStringList FileArguments(const QStringList& arguments);

private:
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CCipherDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};
