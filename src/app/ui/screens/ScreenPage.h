#pragma once

class QVBoxLayout;
class QWidget;

namespace quorvane::app {

// The frame every mode screen shares: its cards in one scrolling column. Returns the column's layout.
QVBoxLayout *scrollingColumn(QWidget *screen);

} // namespace quorvane::app
