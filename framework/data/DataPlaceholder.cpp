// Replaced by the dataset sources.
