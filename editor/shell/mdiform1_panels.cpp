#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "layout_support.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_panel.h"
#include "value_panel.h"

// The window's members keep pointing at the panels' controls under their
// own names, for the handlers and for the insert window.
QWidget* MDIForm1::buildValuePanel() {
    valuePanel = new ValuePanel(font());
    ValuePanel& p = *valuePanel;
    Text17 = p.Text17;
    Frame2 = p.Frame2;
    Text2.add(12, p.Text2(12));
    Text5 = p.Text5;
    Text6 = p.Text6;
    Text7 = p.Text7;
    Text8 = p.Text8;
    Text9 = p.Text9;
    Text10 = p.Text10;
    Text3 = p.Text3;
    Text4 = p.Text4;
    Text11 = p.Text11;
    Text12 = p.Text12;
    Slider1 = p.Slider1;
    Slider2 = p.Slider2;
    Shape1 = p.Shape1;
    Shape2 = p.Shape2;
    Label3.add(0, p.Label3(0));
    Label30 = p.Label30;
    SaveValue = p.SaveValue;
    Command1 = p.Command1;
    Label1 = p.Label1;
    Frame3 = p.Frame3;
    Text20 = p.Text20;
    Slider3 = p.Slider3;
    Slider4 = p.Slider4;
    Slider5 = p.Slider5;
    Text14 = p.Text14;
    Text15 = p.Text15;
    Text16 = p.Text16;
    Label9 = p.Label9;
    Label11.add(0, p.Label11(0));
    Label14 = p.Label14;
    Picture4 = p.Picture4;
    lightColours = p.lightColours;
    Frame8 = p.Frame8;
    Text13 = p.Text13;
    Combo1 = p.Combo1;
    Frame9 = p.Frame9;
    Text21 = p.Text21;
    Text22 = p.Text22;
    Text23 = p.Text23;
    Combo3 = p.Combo3;
    connectValueHandlers();
    return valuePanel;
}

// The script box on the left, the script listing of the whole file on the right.
QWidget* MDIForm1::buildScriptPanel() {
    scriptPanel = new ScriptPanel(font());
    Text1 = scriptPanel->Text1;
    for (const auto& [item, box] : scriptPanel->Text2.items())
        Text2.add(item, box);
    SaveScript = scriptPanel->SaveScript;

    auto* listing = new QHBoxLayout;
    Check1 = named(new QCheckBox("Listing"), "Check1");
    listing->addWidget(Check1);
    Text2.add(3, textBox("Text2(3)"));
    listing->addWidget(Text2(3), 1);
    search2 = named(new QPushButton("Search"), "search2");
    listing->addWidget(search2);
    RichTextBox1 = named(new ListingView, "RichTextBox1");
    RichTextBox1->setFont(scriptFont(font()));
    scriptPanel->addListing(listing, buildListingTabs(RichTextBox1));
    return scriptPanel;
}
