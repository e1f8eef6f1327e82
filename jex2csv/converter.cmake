# Record, packet and time routines; the converter entry, CSV writer and listing.
