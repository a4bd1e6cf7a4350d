#pragma once
// Drives that take seconds to answer: a mapped network drive whose server is
// gone, a sleeping optical drive spinning up. On Windows every query of such
// a volume (its label, its root's attributes, its free space, a folder
// listing, opening a file on it) waits that long on the calling thread; the
// drives of the Wine prefix answer at once. Under this rule the queries of
// network and optical drives wait `milliseconds` before they are answered.

namespace tf::testing::strict {

// Switches the rule on for the rest of the program; true when the volume
// query (GetVolumeInformationW) was found in the program's import table, the
// others are taken where the program has them.
bool EnforceSlowVolumes(unsigned milliseconds = 3000);

// Queries the rule has held back so far.
int SlowVolumeWaits();

} // namespace tf::testing::strict
