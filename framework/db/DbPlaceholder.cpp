// Replaced by the query component sources.
