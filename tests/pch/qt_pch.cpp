// The object that carries the Qt test programs' precompiled headers.
