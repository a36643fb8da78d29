// Applies what a Qt Designer form cannot say directly to our toolkit: the
// form's dynamic properties (panel colours and bevels, button groups, font
// character heights, list item heights) set on its widgets.
#pragma once

class QWidget;

// Walks root and every widget below it.
void ApplyFormDescription(QWidget *root);
