// Anchor of the precompiled Qt Widgets headers.
