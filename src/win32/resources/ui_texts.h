/* The texts a user reads, in the two languages the program ships, and its
   version. calvox.rc builds the string table, the About box and the version
   block from these lines; the simulator answers from the same lines, so the
   two cannot drift apart. UTF-8. */
#ifndef CALVOX_UI_TEXTS_H
#define CALVOX_UI_TEXTS_H

#define CALVOX_VERSION_NUMBERS 1, 0, 0, 0
#define CALVOX_VERSION_TEXT "1.0.0.0"

/* X(id, English, Traditional Chinese) */
#define CALVOX_STRING_TABLE(X)                   \
    X(101, "Zorvik Quillon", "Zorvik Quillon")   \
    X(102, "About...", "關於")                   \
    X(103, "Advance Setting", "進階設定")        \
    X(104, "Exit", "離開")

/* The About box. Its version line names the default product; the program
   puts the configured title and the version in. */
#define CALVOX_ABOUT_CAPTION_EN "About"
#define CALVOX_ABOUT_CAPTION_ZH "關於"
#define CALVOX_ABOUT_VERSION_LINE_EN "Zorvik Quillon Version "
#define CALVOX_ABOUT_VERSION_LINE_ZH "Zorvik Quillon 版本 "
#define CALVOX_ABOUT_NOTICE "Copyright (C) 2026 the Calvox developers"
#define CALVOX_ABOUT_SUPPORT_EN "Support Skype Version 1.4.x.xx"
#define CALVOX_ABOUT_SUPPORT_ZH "支援 Skype 版本 1.4.x.xx"

#endif
