#pragma once
// What assistive technology (a screen reader over AT-SPI) learns about the
// skinned controls: name (caption or hint, in the chosen language), role,
// state, actions and, for sliders, the value and its range.
#include <functional>

class QAccessibleEvent;
class QWidget;

namespace voxa {

// Installs the interfaces of the skinned controls; once, at program start.
void InstallSkinAccessibility();

// control is named by what label shows now (a QLabel's text, a group box's
// title, a button's text), so the name follows the language. For check
// boxes whose own text says what they do ("Change") rather than what they
// change, and for sliders beside their label.
void NameAfter(QWidget *control, QWidget *label);

// Names the nameless lists, edits, sliders and spin boxes below root after
// what stands beside them: a list with a header by its first column's title,
// others by the label just left of them on their row or just above them
// (made its buddy, so the name follows the label's text). Run when a frame
// is shown; controls named already are left alone.
void NameFromNeighbours(QWidget *root);

// Brings the names given by NameAfter up to date with their labels (after a
// language change).
void RefreshAccessibleNames();

// The controls' announcements (a name or a value changed) go out through
// here to whatever listens.
void Announce(QAccessibleEvent &event);
// Tests: sees every announcement, whether or not an assistive technology
// listens; none ends watching.
void setAnnouncementWatch(std::function<void(const QAccessibleEvent &)> watch);

}  // namespace voxa
