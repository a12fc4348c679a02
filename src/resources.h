// The font at its two sizes and the twelve pictures, loaded once and kept for the run.
#ifndef RESOURCES_H
#define RESOURCES_H

// Opens "arial.ttf" at 12 points (police) and 11 points (font8); a failure leaves the
// pointer null, for FnChargeRessources to report.
void FnOuvrePolices();

// Checks the two fonts, reads the metrics the rows cut their text by (FnMesurePolice),
// and loads the twelve pictures from the working directory, keying those that have a
// colour key. Returns false after naming on stderr the first file that is missing, a font
// that draws no text, or a picture smaller than the layout needs.
bool FnChargeRessources();

// Closes both fonts (and their files); safe to call when they are not open.
void FnFermePolices();

#endif
