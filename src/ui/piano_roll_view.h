// SPDX-License-Identifier: GPL-3.0-or-later
// The melody as the phone plays it, drawn as a piano roll: time runs to the right under a
// ruler in seconds, pitch runs up beside a keyboard strip of note names, and every note is a
// bar. Notes the chosen hardware cannot play are drawn in the warning colour, with a tool tip
// that says what is heard instead; vibration spans and tempo changes are marked on the ruler.
// A click on a bar reports the notes text the bar came from; Ctrl+wheel zooms the time axis.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <optional>

#include "interchange/piano_roll_layout.h"
#include "melody/timeline.h"

namespace belltower::ui {

class PianoRollView : public QWidget {
    Q_OBJECT

public:
    explicit PianoRollView(QWidget* parent = nullptr);

    // Shows a melody; any failure shown before is cleared.
    void SetTimeline(melody::Timeline timeline);
    const melody::Timeline& Shown() const { return timeline_; }
    // Shows why the melody cannot be drawn over the last melody drawn; empty clears it.
    void SetFailure(const QString& message);
    const QString& Failure() const { return failure_; }
    // The hardware whose range decides the warning colour.
    void SetHardware(melody::Hardware hardware);
    // The playhead, in seconds from the start; nothing hides it.
    void SetPlayhead(std::optional<double> seconds);
    // Horizontal scale in pixels per duration unit, kept within kMinZoom..kMaxZoom.
    void SetZoom(double pixelsPerUnit);
    double Zoom() const { return zoom_; }
    static constexpr double kMinZoom = 1.0 / 64;
    static constexpr double kMaxZoom = 16;

    // Where event `index` is drawn; an empty rectangle for a pause.
    QRectF BarRect(std::size_t index) const;
    // The note whose bar is under a point, if any.
    std::optional<std::size_t> NoteAt(QPointF point) const;
    // What the tool tip of a note says.
    QString NoteTip(std::size_t index) const;

    static QColor NoteColour() { return {58, 114, 196}; }
    static QColor WarningColour() { return {232, 134, 42}; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A bar was clicked whose note came from the notes text at these characters.
    void TokenClicked(std::size_t start, std::size_t length);
    // The user zoomed with Ctrl+wheel.
    void Zoomed(double pixelsPerUnit);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Relayout();
    void PaintRuler(QPainter& painter, const QRectF& area) const;
    void PaintKeyboard(QPainter& painter) const;
    // The layout the SVG export uses too, at this view's zoom, its rows stretched to fill the
    // height (never below kMinRowHeight); made again when the melody, zoom or height change.
    const interchange::PianoRollLayout& Layout() const;

    melody::Timeline timeline_;
    QString failure_;
    melody::Hardware hardware_ = melody::Hardware::Phone;
    std::optional<double> playhead_;
    double zoom_ = 1;
    mutable std::optional<interchange::PianoRollLayout> layout_;
    mutable int layoutHeight_ = -1;
};

}  // namespace belltower::ui
