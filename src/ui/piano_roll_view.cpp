// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/piano_roll_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

#include "formats/tone_commands.h"

namespace belltower::ui {

using interchange::PianoRollLayout;

namespace {

constexpr double kMinRowHeight = 10;  // a row stays tall enough for its note name
constexpr double kRightMargin = 16;
constexpr double kUnitsPerSecond = formats::tone::kUnitsPerSecond;
// The widest the view may grow: far below QWidget's limit, and enough for any zoom of
// any melody the phone can hold to scroll smoothly.
constexpr double kWidestView = 4'000'000;

QString Label(std::uint8_t code) {
    return QString::fromStdString(melody::NoteLabel(code));
}

QString HardwareName(melody::Hardware hardware) {
    return hardware == melody::Hardware::LogoManager ? QStringLiteral("LogoManager") : QStringLiteral("the phone");
}

// Seconds between ruler marks, so that marks stand at least 60 pixels apart.
double RulerStep(double pixelsPerSecond) {
    static constexpr std::array<double, 10> kSteps = {0.1, 0.25, 0.5, 1, 2, 5, 10, 30, 60, 120};
    for (const double step : kSteps) {
        if (step * pixelsPerSecond >= 60) {
            return step;
        }
    }
    return kSteps.back();
}

}  // namespace

PianoRollView::PianoRollView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    Relayout();
}

void PianoRollView::SetTimeline(melody::Timeline timeline) {
    timeline_ = std::move(timeline);
    failure_.clear();
    Relayout();
}

void PianoRollView::SetFailure(const QString& message) {
    failure_ = message;
    update();
}

void PianoRollView::SetHardware(melody::Hardware hardware) {
    hardware_ = hardware;
    update();
}

void PianoRollView::SetPlayhead(std::optional<double> seconds) {
    playhead_ = seconds;
    update();
}

void PianoRollView::SetZoom(double pixelsPerUnit) {
    const double widest = kWidestView / std::max<double>(1, static_cast<double>(timeline_.units));
    zoom_ = std::clamp(pixelsPerUnit, kMinZoom, std::max(kMinZoom, std::min(kMaxZoom, widest)));
    Relayout();
}

void PianoRollView::Relayout() {
    layout_.reset();
    const interchange::PianoRollLayout& layout = Layout();
    setMinimumWidth(static_cast<int>(std::ceil(layout.X(timeline_.units) + kRightMargin)));
    setMinimumHeight(static_cast<int>(PianoRollLayout::Top() + kMinRowHeight * layout.Rows()));
    layout_.reset();  // the height may change with the minimum
    updateGeometry();
    update();
}

QSize PianoRollView::sizeHint() const {
    return {minimumWidth(), minimumHeight()};
}

QSize PianoRollView::minimumSizeHint() const {
    return {minimumWidth(), minimumHeight()};
}

const interchange::PianoRollLayout& PianoRollView::Layout() const {
    if (!layout_ || layoutHeight_ != height()) {
        const interchange::PianoRollLayout rows(timeline_, zoom_, kMinRowHeight);
        const double fill = interchange::PianoRollLayout::RowHeightToFill(static_cast<double>(height()), rows.Rows());
        layout_.emplace(timeline_, zoom_, std::max(kMinRowHeight, fill));
        layoutHeight_ = height();
    }
    return *layout_;
}

QRectF PianoRollView::BarRect(std::size_t index) const {
    if (index >= timeline_.events.size() || timeline_.events[index].IsPause()) {
        return {};
    }
    const interchange::RollBox box = Layout().EventBox(timeline_.events[index]);
    // A bar is at least a pixel wide, however far the view is zoomed out.
    return {box.x, box.y, std::max(1.0, box.width), box.height};
}

std::optional<std::size_t> PianoRollView::NoteAt(QPointF point) const {
    const auto& events = timeline_.events;
    const interchange::PianoRollLayout& layout = Layout();
    // Events follow one another in time: find the one playing at the point's time.
    const auto after = std::partition_point(events.begin(), events.end(), [&](const melody::TimedEvent& event) {
        return layout.X(event.start + event.units) <= point.x();
    });
    for (auto it = after; it != events.end() && layout.X(it->start) <= point.x(); ++it) {
        const auto index = static_cast<std::size_t>(it - events.begin());
        if (BarRect(index).contains(point)) {
            return index;
        }
    }
    return std::nullopt;
}

QString PianoRollView::NoteTip(std::size_t index) const {
    const melody::TimedEvent& event = timeline_.events.at(index);
    QString tip = QStringLiteral("%1: %2 units (%3 s) from %4 s")
                      .arg(Label(event.code))
                      .arg(event.units)
                      .arg(event.Seconds(), 0, 'f', 2)
                      .arg(event.StartSeconds(), 0, 'f', 2);
    if (melody::OutOfRange(event.code, hardware_)) {
        const melody::Sounded sounded = melody::SoundedAs(event.code, hardware_);
        tip += QStringLiteral("\nOut of range for %1: it plays %2 at a tenth of the level instead.")
                   .arg(HardwareName(hardware_), Label(sounded.code));
    }
    return tip;
}

bool PianoRollView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const auto note = NoteAt(help->pos())) {
            QToolTip::showText(help->globalPos(), NoteTip(*note), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void PianoRollView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const auto note = NoteAt(event->position())) {
            if (const auto& token = timeline_.events[*note].token) {
                emit TokenClicked(token->start, token->length);
            }
        }
    }
    QWidget::mousePressEvent(event);
}

void PianoRollView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();  // plain wheel scrolls whatever holds the view
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        SetZoom(zoom_ * std::pow(1.25, steps));
        emit Zoomed(zoom_);
    }
    event->accept();
}

void PianoRollView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRectF area = event->rect();
    const interchange::PianoRollLayout& layout = Layout();
    painter.fillRect(area, palette().base());
    const auto right = static_cast<double>(width());

    // Rows: black keys a shade darker, across the whole width.
    for (int code = layout.High(); code >= layout.Low(); --code) {
        const auto key = static_cast<std::uint8_t>(code);
        const QRectF row(0, layout.RowTop(key), right, layout.RowHeight());
        if (row.intersects(area) && melody::NameOfCode(key).sharp) {
            painter.fillRect(row, palette().alternateBase());
        }
    }
    PaintRuler(painter, area);

    // The bars of the notes in view.
    const auto& events = timeline_.events;
    const auto first = std::partition_point(events.begin(), events.end(), [&](const melody::TimedEvent& e) {
        return layout.X(e.start + e.units) < area.left();
    });
    painter.setPen(Qt::NoPen);
    for (auto it = first; it != events.end() && layout.X(it->start) <= area.right(); ++it) {
        if (it->IsPause()) {
            continue;
        }
        const QRectF bar = BarRect(static_cast<std::size_t>(it - events.begin()));
        const bool out = melody::OutOfRange(it->code, hardware_);
        painter.fillRect(bar.adjusted(0, 1, 0, -1), out ? WarningColour() : NoteColour());
    }

    if (playhead_) {
        painter.setPen(QPen(QColor(200, 30, 30), 2));
        const double x = layout.XAtSeconds(*playhead_);
        painter.drawLine(QPointF(x, 0), QPointF(x, height()));
    }
    PaintKeyboard(painter);

    if (!failure_.isEmpty()) {
        const QRectF band(PianoRollLayout::Left(), PianoRollLayout::Top(),
                          std::max(320.0, right - PianoRollLayout::Left()), painter.fontMetrics().height() * 2.5);
        painter.fillRect(band, QColor(255, 235, 235));
        painter.setPen(QColor(170, 0, 0));
        painter.drawText(band.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::TextWordWrap, failure_);
    }
}

// The ruler and its marks, the vibration spans under it and the tempo changes.
void PianoRollView::PaintRuler(QPainter& painter, const QRectF& area) const {
    const interchange::PianoRollLayout& layout = Layout();
    const double pixelsPerSecond = zoom_ * kUnitsPerSecond;
    const double step = RulerStep(pixelsPerSecond);
    const double seconds = static_cast<double>(timeline_.units) / kUnitsPerSecond;
    painter.fillRect(QRectF(0, 0, static_cast<double>(width()), PianoRollLayout::Top()), palette().window());
    const double firstMark =
        std::floor(std::max(0.0, area.left() - PianoRollLayout::Left()) / pixelsPerSecond / step) * step;
    for (double mark = firstMark; mark <= seconds + step && layout.XAtSeconds(mark) <= area.right(); mark += step) {
        const double x = layout.XAtSeconds(mark);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(QPointF(x, 12), QPointF(x, height()));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPointF(x + 2, 10), QStringLiteral("%1 s").arg(mark));
    }
    for (const melody::UnitSpan& span : melody::VibrationSpans(timeline_)) {
        painter.fillRect(
            QRectF(layout.X(span.start), PianoRollLayout::Top() - 5, layout.X(span.end) - layout.X(span.start), 4),
            QColor(180, 122, 214));
    }
    painter.setPen(QColor(44, 122, 44));
    for (const melody::TempoChange& change : melody::TempoChanges(timeline_)) {
        const double x = layout.X(change.start);
        painter.drawLine(QPointF(x, 12), QPointF(x, PianoRollLayout::Top()));
        painter.drawText(QPointF(x + 2, PianoRollLayout::Top() - 7), QStringLiteral("%1 bpm").arg(change.tempo));
    }
}

// The keyboard strip, in front of the rows: every row's name when rows are tall enough,
// otherwise only the c of each octave.
void PianoRollView::PaintKeyboard(QPainter& painter) const {
    const interchange::PianoRollLayout& layout = Layout();
    painter.fillRect(QRectF(0, PianoRollLayout::Top(), PianoRollLayout::Left(), height() - PianoRollLayout::Top()),
                     palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    QFont small = font();
    small.setPixelSize(static_cast<int>(kMinRowHeight) - 1);
    painter.setFont(small);
    const bool everyRow = layout.RowHeight() >= painter.fontMetrics().height() * 0.8;
    for (int code = layout.High(); code >= layout.Low(); --code) {
        const auto key = static_cast<std::uint8_t>(code);
        const melody::NoteName name = melody::NameOfCode(key);
        if (everyRow || (name.letter == 'c' && !name.sharp)) {
            const QRectF row(interchange::PianoRollLayout::kMargin, layout.RowTop(key),
                             interchange::PianoRollLayout::kKeyboardWidth, layout.RowHeight());
            painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, Label(key));
        }
    }
}

}  // namespace belltower::ui
