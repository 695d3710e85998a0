#pragma once
// The six formatters the editor gives its value displays: each writes the
// text of a value already in the parameter's unit (milliseconds, a
// fraction, decibels, hertz, a list position 0..1).  Texts are made in the
// "C" locale and fit the display's buffer (kFormattedTextSize bytes).  They
// keep no state; any thread.

void formatTime(float value, char* text);
void formatPercent(float value, char* text);
void formatDecibel(float value, char* text);
void formatBipolarPercent(float value, char* text);
void formatFrequency(float value, char* text);
void formatListEntry(float value, char* text);
