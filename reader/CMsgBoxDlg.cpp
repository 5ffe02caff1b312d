#include "reader/CMsgBoxDlg.h"

#include "reader/ReaderLook.h"
#include "reader/ShowMessage.h"
#include "skin/CSkinButton.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

CMsgBoxDlg::CMsgBoxDlg(QWidget* parent) : CSkinDialogEx(parent) {
    SetSkinIcon();
    yes_ = new CSkinButton(this);
    no_ = new CSkinButton(this);
    cancel_ = new CSkinButton(this);
    for (CSkinButton* b : {yes_, no_, cancel_}) {
        b->setAutoDefault(false);
        b->setFixedSize(kButtonWidth, kButtonHeight);
        b->hide();
    }
    connect(yes_, &QPushButton::clicked, this,
            [this] { done(type_ == MessageQuestion ? ResultYes : ResultOk); });
    connect(no_, &QPushButton::clicked, this, [this] { done(ResultNo); });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(ResultCancel); });
}

void CMsgBoxDlg::SetMessage(int type, const QString& text, const QString& caption) {
    type_ = type;
    text_ = text;
    caption_ = caption;
    SetSkinCaption(caption);
    Arrange();
}

void CMsgBoxDlg::SetOkCancelTexts(const QString& ok, const QString& cancel) {
    okText_ = ok;
    cancelText_ = cancel;
    Arrange();
}

void CMsgBoxDlg::SetYesNoTexts(const QString& yes, const QString& no) {
    yesText_ = yes;
    noText_ = no;
    Arrange();
}

QStringList CMsgBoxDlg::BreakText(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    QStringList lines;
    for (QString paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.endsWith(QLatin1Char('\r')))
            paragraph.chop(1);
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        qsizetype start = 0;
        while (start < paragraph.size()) {
            // The longest run from `start` that fits, at least one character.
            qsizetype end = start + 1;
            while (end < paragraph.size() &&
                   metrics.horizontalAdvance(paragraph.mid(start, end + 1 - start)) <= maxWidth)
                ++end;
            if (end < paragraph.size()) {
                const qsizetype blank = paragraph.lastIndexOf(QLatin1Char(' '), end - 1);
                if (blank > start)
                    end = blank + 1;
            }
            QString line = paragraph.mid(start, end - start);
            while (line.endsWith(QLatin1Char(' ')) && line.size() > 1)
                line.chop(1);
            lines << line;
            start = end;
        }
    }
    return lines;
}

void CMsgBoxDlg::Arrange() {
    const QFontMetrics metrics(font());
    lines_ = BreakText(text_, metrics, kMaxTextWidth);
    int textWidth = 0;
    for (const QString& line : lines_)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    const int textHeight =
        std::min<int>(kMaxTextHeight, static_cast<int>(lines_.size()) * metrics.height());
    const bool twoButtons = type_ == MessageOkCancel || type_ == MessageQuestion;
    const int buttonsWidth = twoButtons ? 2 * kButtonWidth + 10 : kButtonWidth;
    const int captionWidth = QFontMetrics(ReaderLook::CaptionFont()).horizontalAdvance(caption_);
    const int h = std::max({textWidth, buttonsWidth, captionWidth - 30});
    setFixedSize(h + 100, textHeight + 120);
    textRect_ = QRect(80, 50, h, textHeight);

    yes_->hide();
    no_->hide();
    cancel_->hide();
    const int y = height() - 10 - kButtonHeight;
    const int centre = width() / 2;
    if (type_ == MessageOkCancel) {
        yes_->setText(okText_);
        cancel_->setText(cancelText_);
        yes_->move(centre - 5 - kButtonWidth, y);
        cancel_->move(centre + 5, y);
        yes_->show();
        cancel_->show();
    } else if (type_ == MessageQuestion) {
        yes_->setText(yesText_);
        no_->setText(noText_);
        yes_->move(centre - 5 - kButtonWidth, y);
        no_->move(centre + 5, y);
        yes_->show();
        no_->show();
    } else {
        yes_->setText(okText_);
        yes_->move(centre - kButtonWidth / 2, y);
        yes_->show();
    }
    icon_ = IconOfType();
    update();
}

QPixmap CMsgBoxDlg::IconOfType() const {
    if (!iconPath_.isEmpty()) {
        QPixmap fromFile(iconPath_);
        if (!fromFile.isNull())
            return fromFile;
    }
    const int resource = type_ == MessageInfo ? 149 : (type_ == MessageNotice ? 151 : 150);
    return ReaderLook::Icon(resource, devicePixelRatioF());
}

int CMsgBoxDlg::exec() {
    Arrange();
    return CSkinDialogEx::exec();
}

void CMsgBoxDlg::showEvent(QShowEvent* event) {
    CSkinDialogEx::showEvent(event);
    yes_->setFocus();
}

void CMsgBoxDlg::OnSkinPaint(QPainter& painter) {
    if (!icon_.isNull())
        painter.drawPixmap(25, 45, icon_);
    painter.setFont(font());
    painter.setPen(ReaderLook::TextColour());
    const QFontMetrics metrics(font());
    int y = textRect_.top();
    for (const QString& line : lines_) {
        // A last line that fits only in part is left out.
        if (y + metrics.height() > textRect_.bottom() + 1)
            break;
        painter.drawText(QRect(textRect_.left(), y, textRect_.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

void CMsgBoxDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == yes_ && yes_->isVisible())
            yes_->click();
        else if (focusWidget() == no_ && no_->isVisible())
            no_->click();
        else
            done(ResultCancel);
        event->accept();
        return;
    default:
        CSkinDialogEx::keyPressEvent(event);
    }
}
