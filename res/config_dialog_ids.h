/* Resource ids of the setup dialog, shared by the dialog template and the dialog procedure.
   Plain #defines only: windres reads this file too. */
#ifndef FENLIGHT_CONFIG_DIALOG_IDS_H
#define FENLIGHT_CONFIG_DIALOG_IDS_H

#define IDD_CONFIG 2003

#define IDC_DIRECTION_LIST 3     /* combo box: the directions */
#define IDC_PARTICLES_SLIDER 1000  /* trackbar: the particles */
#define IDC_SIZE_SLIDER 1001       /* trackbar */
#define IDC_SPEED_SLIDER 1002      /* trackbar */
#define IDC_COLORS_LIST 1003     /* combo box: the colour schemes */
#define IDC_RESET 1009      /* push button */
#define IDC_PARTICLES_LABEL 1010
#define IDC_SIZE_LABEL 1011
#define IDC_SPEED_LABEL 1012
#define IDC_FEW 1013
#define IDC_MANY 1014
#define IDC_SMALL 1015
#define IDC_BIG 1016
#define IDC_SLOW 1017
#define IDC_FAST 1018
#define IDC_DIRECTION_LABEL 1019
#define IDC_COLORS_LABEL 1020
#define IDC_VERSION 1021
#define IDC_TAGLINE 1022

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
