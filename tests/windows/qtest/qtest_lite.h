// What the GUI tests use of Qt's test library, for the Windows build: the
// Qt built for Windows has no test library, so these few calls stand in for
// it, doing what it does for widgets: keys go through the shortcut map and
// then to the widget, mouse events to the widget at a point (its centre
// unless given), waits run the event loop.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QList>
#include <QMouseEvent>
#include <QThread>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cctype>

// QtGui's own entry for key events that may be shortcuts.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
    const QString& text = QString(), bool autorep = false, ushort count = 1);

// QEvent lets this class mark events as coming from the window system.
class QSpontaneKeyEvent {
public:
    static void setSpontaneous(QEvent* ev) { ev->setSpontaneous(); }
};

namespace QTest {

inline void qWait(int ms)
{
    const QDeadlineTimer deadline(ms);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(std::max<qint64>(deadline.remainingTime(), 0)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!deadline.hasExpired())
            QThread::msleep(std::min<qint64>(deadline.remainingTime(), 10));
    } while (!deadline.hasExpired());
}

template <typename Predicate> bool qWaitFor(Predicate predicate, int timeout = 5000)
{
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        if (predicate())
            return true;
        if (deadline.hasExpired())
            return predicate();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
}

inline bool qWaitForWindowExposed(QWidget* w, int timeout = 5000)
{
    return qWaitFor([w] { return w->windowHandle() && w->windowHandle()->isExposed(); }, timeout);
}

inline bool qWaitForWindowActive(QWidget* w, int timeout = 5000)
{
    return qWaitFor([w] { return w->isActiveWindow(); }, timeout);
}

namespace lite {

inline void SendKey(QWidget* widget, QEvent::Type type, int key, const QString& text, Qt::KeyboardModifiers mods)
{
    if (!widget)
        widget = QApplication::focusWidget();
    if (!widget)
        widget = QApplication::activeWindow();
    if (!widget)
        return;
    QKeyEvent event(type, key, mods, text);
    QSpontaneKeyEvent::setSpontaneous(&event);
    if (type == QEvent::KeyPress && qt_sendShortcutOverrideEvent(widget, event.timestamp(), key, mods, text))
        return;
    QApplication::instance()->notify(widget, &event);
}

inline QString TextOf(int key, Qt::KeyboardModifiers mods)
{
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar((mods & Qt::ShiftModifier) ? key : key - Qt::Key_A + 'a'));
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return QString(QChar(key));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Escape:
        return QString(QChar(27));
    case Qt::Key_Backspace:
        return QString(QChar(8));
    default:
        return {};
    }
}

inline void Mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint pos)
{
    if (pos.isNull())
        pos = widget->rect().center();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, held, mods);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(widget, &event);
}

} // namespace lite

inline void keyClick(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, int = -1)
{
    const QString text = lite::TextOf(key, mods);
    lite::SendKey(widget, QEvent::KeyPress, key, text, mods);
    lite::SendKey(widget, QEvent::KeyRelease, key, text, mods);
}

inline void keyClick(QWidget* widget, char ascii, Qt::KeyboardModifiers mods = Qt::NoModifier, int = -1)
{
    const int key = std::isalpha(static_cast<unsigned char>(ascii)) ? std::toupper(ascii) : ascii;
    const QString text = (mods & (Qt::ControlModifier | Qt::AltModifier)) ? QString() : QString(QChar(ascii));
    lite::SendKey(widget, QEvent::KeyPress, key, text, mods);
    lite::SendKey(widget, QEvent::KeyRelease, key, text, mods);
}

inline void keyClicks(QWidget* widget, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier, int = -1)
{
    for (const QChar c : text) {
        const int key = c.isLetter() && c.unicode() < 128 ? c.toUpper().unicode() : c.unicode();
        lite::SendKey(widget, QEvent::KeyPress, key, QString(c), mods);
        lite::SendKey(widget, QEvent::KeyRelease, key, QString(c), mods);
    }
}

inline void mousePress(
    QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}, QPoint pos = {}, int = -1)
{
    lite::Mouse(widget, QEvent::MouseButtonPress, button, mods, pos);
}

inline void mouseRelease(
    QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}, QPoint pos = {}, int = -1)
{
    lite::Mouse(widget, QEvent::MouseButtonRelease, button, mods, pos);
}

inline void mouseClick(
    QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}, QPoint pos = {}, int = -1)
{
    mousePress(widget, button, mods, pos);
    mouseRelease(widget, button, mods, pos);
}

inline void mouseDClick(
    QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}, QPoint pos = {}, int = -1)
{
    mouseClick(widget, button, mods, pos);
    lite::Mouse(widget, QEvent::MouseButtonDblClick, button, mods, pos);
    mouseRelease(widget, button, mods, pos);
}

} // namespace QTest

// Records a signal's emissions, each as the list of its arguments.
class QSignalSpy : public QList<QList<QVariant>> {
public:
    template <typename Sender, typename... Args> QSignalSpy(const Sender* sender, void (Sender::*signal)(Args...))
    {
        QObject::connect(sender, signal, &m_context,
            [this](Args... args) { append(QList<QVariant>{ QVariant::fromValue(std::decay_t<Args>(args))... }); });
    }

    bool wait(int timeout = 5000)
    {
        const qsizetype before = size();
        return QTest::qWaitFor([&] { return size() > before; }, timeout);
    }

private:
    QObject m_context;
};
