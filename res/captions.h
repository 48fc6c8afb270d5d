// The dialogs' captions, shared by Cirrowisp.rc and the Qt dialog so the two cannot drift
// apart. Plain string macros: windres runs the C preprocessor over the .rc script, and a
// C++ string literal (or QStringLiteral) takes them as they are. Saved as UTF-8, as the
// script's code_page pragma and the compilers' source character set expect.
#ifndef CIRROWISP_RES_CAPTIONS_H
#define CIRROWISP_RES_CAPTIONS_H

#define CIRROWISP_GENERATOR_TITLE "FSX-Cirrowisp generator"
#define CIRROWISP_ABOUT_TITLE "About Cirrowisp"
#define CIRROWISP_CANCEL_CAPTION "Cancel"
#define CIRROWISP_START_CAPTION "Start"
#define CIRROWISP_OK_CAPTION "OK"
#define CIRROWISP_ENGINE_GROUP_CAPTION "Engine Type"
#define CIRROWISP_TEMPERATURE_CAPTION "max Contrail Temperature (°C)"
#define CIRROWISP_PATH_CAPTION "FSX Path"
// The trailing blank is the original dialog's; the tests pin it.
#define CIRROWISP_FLYABLE_CAPTION "Flyable planes "
#define CIRROWISP_EFFECT_CAPTION "Name of effect file"
#define CIRROWISP_ABOUT_ITEM "&About Cirrowisp..."
#define CIRROWISP_RESTORE_ITEM "&Restore original files..."

#endif
