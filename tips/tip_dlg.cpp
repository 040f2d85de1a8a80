// The tip-of-the-day window: reading tips.txt line by line, keeping the read
// position and the start-up choice in the settings store.
#include "tips/tip_dlg.h"

#include "batch/batch_texts.h"
#include "config/settings_store.h"
#include "product_version.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

#include <climits>
#include <ctime>

namespace {

const char* const kTitle = KVN_PRODUCT_NAME " Tip of the Day";
const char* const kHeading = "Did you know...";
const char* const kNoTipsFile = "Tips file does not exist in the prescribed directory";
const char* const kTrouble = "Trouble reading the tips file";

const QString kSection = QStringLiteral("Tip");
const QString kStartUp = QStringLiteral("StartUp");
const QString kFilePos = QStringLiteral("FilePos");
const QString kTimeStamp = QStringLiteral("TimeStamp");

constexpr qsizetype kMaxTipChars = 999;

// The stamp is the ctime() text of the tips file's modification time, the
// form the "TimeStamp" entry stores, so a stored value compares equal.
QString ModificationStamp(const QFile& file)
{
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    if (!modified.isValid())
        return {};
    const std::time_t seconds = static_cast<std::time_t>(modified.toSecsSinceEpoch());
    const char* text = std::ctime(&seconds);
    if (!text)
        return {};
    QString stamp = QString::fromLatin1(text);
    while (!stamp.isEmpty() && stamp.back().isSpace())
        stamp.chop(1);
    return stamp;
}

// Editors on Windows write CRLF, so an empty line there starts with CR; it
// must be skipped like an empty line with a bare line feed.
bool IsTipLine(const QByteArray& line)
{
    const char first = line.front();
    return first != ' ' && first != '\t' && first != '\n' && first != '\r' && first != ';';
}

QString TipText(const QByteArray& line)
{
    QString text = QString::fromUtf8(line);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.size() > kMaxTipChars)
        text.truncate(text.at(kMaxTipChars - 1).isHighSurrogate() ? kMaxTipChars - 1 : kMaxTipChars);
    return text;
}

// Drawn for the screen's pixel ratio, so it is sharp at any scaling.
QPixmap BulbPicture(qreal ratio)
{
    constexpr int side = 48;
    QPixmap picture(QSize(side, side) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(QColor(240, 190, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 17), QPointF(10, 18));
    p.drawLine(QPointF(42, 17), QPointF(38, 18));
    p.drawLine(QPointF(11, 5), QPointF(14, 8));
    p.drawLine(QPointF(37, 5), QPointF(34, 8));

    QRadialGradient glow(QPointF(21, 14), 16);
    glow.setColorAt(0, QColor(255, 255, 210));
    glow.setColorAt(1, QColor(250, 205, 40));
    QPainterPath glass;
    glass.addEllipse(QPointF(24, 18), 12, 12);
    glass.addRect(QRectF(19, 26, 10, 8));
    p.setPen(QPen(QColor(150, 110, 0), 1.2));
    p.setBrush(glow);
    p.drawPath(glass.simplified());

    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(175, 175, 175));
    p.drawRoundedRect(QRectF(18.5, 34, 11, 8), 2, 2);
    p.drawLine(QPointF(18.5, 37), QPointF(29.5, 37));
    p.drawLine(QPointF(18.5, 40), QPointF(29.5, 40));
    p.setBrush(QColor(90, 90, 90));
    p.drawEllipse(QRectF(21.5, 42, 5, 3));
    return picture;
}

} // namespace

CTipDlg::CTipDlg(QWidget* parent)
    : QDialog(parent)
{
    BuildWindow();
    m_showOnStartUp->setChecked(CSettingsStore::Instance().GetInt(kSection, kStartUp, 0) == 0);
    OpenTipsFile();
    m_nextTip->setEnabled(m_file.isOpen());
}

CTipDlg::~CTipDlg()
{
    if (m_file.isOpen()) {
        const qint64 pos = m_file.pos();
        CSettingsStore::Instance().WriteInt(kSection, kFilePos, pos > UINT_MAX ? UINT_MAX : unsigned(pos));
    }
}

bool CTipDlg::ShowAtStartUp() const
{
    return m_showOnStartUp->isChecked();
}

void CTipDlg::BuildWindow()
{
    setWindowTitle(QString::fromLatin1(kTitle));

    // Always black on white, whatever the desktop's colour scheme.
    auto* tipFrame = new QFrame(this);
    tipFrame->setObjectName(QStringLiteral("tipFrame"));
    tipFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    QPalette white = tipFrame->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    tipFrame->setPalette(white);
    tipFrame->setAutoFillBackground(true);

    auto* picture = new QLabel(tipFrame);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(BulbPicture(devicePixelRatioF()));

    auto* heading = new QLabel(QString::fromLatin1(kHeading), tipFrame);
    heading->setObjectName(QStringLiteral("heading"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);

    // Plain text: a tip mentioning "<name>" must not turn into markup.
    m_tipText = new QLabel(tipFrame);
    m_tipText->setObjectName(QStringLiteral("tipText"));
    m_tipText->setTextFormat(Qt::PlainText);
    m_tipText->setWordWrap(true);
    m_tipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tipText->setMinimumSize(340, 110);

    auto* inside = new QGridLayout(tipFrame);
    inside->addWidget(picture, 0, 0, Qt::AlignTop);
    inside->addWidget(heading, 0, 1, Qt::AlignVCenter);
    inside->addWidget(m_tipText, 1, 1);
    inside->setRowStretch(1, 1);
    inside->setColumnStretch(1, 1);

    m_showOnStartUp = new QCheckBox(QStringLiteral("&Show Tips on StartUp"), this);
    m_showOnStartUp->setObjectName(QStringLiteral("showOnStartUp"));
    m_nextTip = new QPushButton(QStringLiteral("&Next Tip"), this);
    m_nextTip->setObjectName(QStringLiteral("nextTip"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_showOnStartUp);
    buttons->addStretch(1);
    buttons->addWidget(m_nextTip);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tipFrame, 1);
    layout->addLayout(buttons);

    connect(m_nextTip, &QPushButton::clicked, this, &CTipDlg::OnNextTip);
    connect(close, &QPushButton::clicked, this, &CTipDlg::OnClose);
}

void CTipDlg::OpenTipsFile()
{
    m_file.setFileName(ProgramFolder::PathOf(QStringLiteral("tips.txt")));
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_tipText->setText(QString::fromLatin1(kNoTipsFile));
        return;
    }

    // A new or edited file starts from its first tip; an old position would
    // land in the middle of some line.
    CSettingsStore& store = CSettingsStore::Instance();
    const QString stamp = ModificationStamp(m_file);
    qint64 offset = 0;
    if (stamp != store.GetString(kSection, kTimeStamp))
        store.WriteString(kSection, kTimeStamp, stamp);
    else
        offset = store.GetInt(kSection, kFilePos, 0);

    // QFile would seek past the end without complaint and then read nothing.
    if (offset > m_file.size() || !m_file.seek(offset)) {
        ReportTrouble();
        return;
    }
    m_tipText->setText(ReadNextTip());
}

// Rewinds at the end of the file, but only once per call: a file without a
// single tip line would otherwise keep us here for ever. Such a file shows
// an empty tip; it was read without trouble, it just has nothing to offer.
QString CTipDlg::ReadNextTip()
{
    bool rewound = false;
    for (;;) {
        const bool atStart = m_file.pos() == 0;
        QByteArray line = m_file.readLine();
        if (atStart && line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        if (!line.isEmpty()) {
            if (IsTipLine(line))
                return TipText(line);
            continue;
        }
        if (!m_file.atEnd() || rewound)
            return {};
        rewound = true;
        if (!m_file.seek(0)) {
            ReportTrouble();
            return {};
        }
    }
}

void CTipDlg::ReportTrouble()
{
    CMessageService::Show(isVisible() ? this : parentWidget(), QString::fromLatin1(kTrouble),
        QString::fromLatin1(batch::texts::kAppTitle), QMessageBox::Ok, QMessageBox::Warning);
}

void CTipDlg::OnNextTip()
{
    m_tipText->setText(ReadNextTip());
}

// Only an explicit Close records the start-up choice; Escape or the title
// bar's close box leave it as it was.
void CTipDlg::OnClose()
{
    CSettingsStore::Instance().WriteInt(kSection, kStartUp, m_showOnStartUp->isChecked() ? 0 : 1);
    accept();
}
