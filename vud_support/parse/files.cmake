# Line reader and delimiters (lines), file opening and paths (files).
