'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":"0104 0104 ",
	"colors":[
		{	"color":1,
			"properties": {
				"over": {
					"message": { "text":"Здесь","style":"blue_small","type":"pointer","x1":-10,"y1":-20,"x2":-1,"y2":0 },
					"picture": { "src":"VLM/pop.png","style":"blue_small","type":"circle","x1":-3,"y1":-4,"x2":-5,"y2":-6 },
					"overlay": { "src":"VLM/over.gif","x":-7,"y":-8 },
					"area": { "brightness":"-127","contrast":"-1","gamma":"0","grayscale":false},
					"q":0
				},
				"click": {
					"q":0
				},
				"dblclick": {
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
