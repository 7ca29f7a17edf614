// The reader's place, one record for the whole run.
#include "book/reader_place.h"

static constexpr ReaderPlace kStartPlace = {kOpeningParagraph, kOpeningParagraph, true};
static ReaderPlace readerPlace = kStartPlace;

const ReaderPlace& Place() { return readerPlace; }
void SetPlace(const ReaderPlace& place) { readerPlace = place; }
void ClearPlace() { readerPlace = kStartPlace; }
