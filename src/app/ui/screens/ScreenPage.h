#pragma once

class QVBoxLayout;
class QWidget;

namespace quorvane::app {

// The frame every mode screen shares: its cards in one scrolling column. Returns the column's layout.
QVBoxLayout *scrollingColumn(QWidget *screen);
// Gives the labels of every form on the screen one width, so the fields of stacked cards start on one line.
// Called once the screen's cards are built.
void alignFormLabels(QWidget *screen);

} // namespace quorvane::app
