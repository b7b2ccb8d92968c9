// Placeholder so the library target exists before its first source lands.
