/* The C entry point of hha.dll, the CHM authoring library that hhc.exe
 * loads from its own folder. */
#ifndef QUILLMERE_HHA_API_H
#define QUILLMERE_HHA_API_H

#ifdef __cplusplus
extern "C" {
#endif

/* Message kinds passed to the sink. */
#define HHA_MESSAGE_INFO 0
#define HHA_MESSAGE_WARNING 1
#define HHA_MESSAGE_ERROR 2
/* "DONE TOTAL NAME" before each book file is stored. */
#define HHA_MESSAGE_PROGRESS 3
/* After a book is written: one file the project names that is not in it. */
#define HHA_MESSAGE_LEFT_OUT 4

/* Version of this interface; hhc.exe refuses a library of another. */
#define HHA_API_VERSION 1

/* Receives one message (UTF-8 text, never null). */
typedef void (*HhaMessageSink)(void* context, int kind, const char* text);

/* Names of the exported functions, for dlsym(). */
#define HHA_VERSION_SYMBOL "HhaApiVersion"
#define HHA_COMPILE_SYMBOL "HhaCompileProject"

typedef int (*HhaApiVersionFn)(void);
typedef int (*HhaCompileProjectFn)(const char* project_path, HhaMessageSink sink, void* context);

/* Returns HHA_API_VERSION. */
int HhaApiVersion(void);

/* Compiles the project file at project_path (UTF-8) into the .chm that its
 * "Compiled file=" line names. Messages go to sink (may be null). Returns 0
 * when the book was written, non-zero on failure (after an error message);
 * a failure leaves any earlier .chm of that name unchanged. */
int HhaCompileProject(const char* project_path, HhaMessageSink sink, void* context);

#ifdef __cplusplus
}
#endif

#endif
